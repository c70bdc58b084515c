// Lets GoogleTest print a QString in a failure message as quoted text instead of raw bytes.
#pragma once

#include <QString>

#include <ostream>

// Found by argument-dependent lookup, so it lives in QString's (the global) namespace.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
