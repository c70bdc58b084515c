#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace Base64 {
// Standard alphabet, padded.
QString encode(const QByteArray& data);
// Strict: standard alphabet, correct padding, no white space or other characters. Anything
// else is absent.
std::optional<QByteArray> decode(const QString& text);
std::optional<QByteArray> decode(const QByteArray& text);
} // namespace Base64
