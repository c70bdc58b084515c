#pragma once

#include <nlohmann/json_fwd.hpp>

#include <stdexcept>

// The JSON type and its error, without the JSON library itself: what a header needs to declare
// toJson()/fromJson(). The code that reads or writes JSON includes JsonRead.h.

// The program writes JSON with keys in a fixed order, so one JSON type is used throughout.
using Json = nlohmann::ordered_json;

// Thrown when a JSON document or element does not have the shape its reader expects.
class DecodeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
