#pragma once

#include "CloudError.h"

#include <optional>
#include <utility>

namespace cloud {

// The outcome of a container operation: a value, or the error that stopped it.
template <typename T> class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(CloudError error) : error_(std::move(error)) {}

    bool ok() const { return value_.has_value(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const CloudError& error() const { return *error_; }

private:
    std::optional<T> value_;
    std::optional<CloudError> error_;
};

} // namespace cloud
