// The terminal console, and the rule for which characters reach a terminal.
#include "intents/Console.h"

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

namespace {

// Code points of the Bidi_Control property: marks, embeddings, overrides and isolates.
bool isBidiControl(char32_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

bool isUnprintable(char32_t c) {
    const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F); // U+0085 among them
    const bool separator = c == 0x2028 || c == 0x2029;
    return control || separator || isBidiControl(c);
}

void write(std::FILE* stream, const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

QString printableText(const QString& text) {
    // Every character that is not printed is a single UTF-16 unit, so units can be replaced in
    // place.
    QString printable = text;
    for (QChar& c : printable) {
        if (isUnprintable(c.unicode()))
            c = QChar(0xFFFD);
    }
    return printable;
}

bool TerminalConsole::interactive() const {
    return ::isatty(STDIN_FILENO) == 1;
}

void TerminalConsole::say(const QString& sentence) {
    write(stdout, printableText(sentence).toUtf8() + '\n');
}

void TerminalConsole::sayFields(const QStringList& fields) {
    QStringList printable;
    for (const QString& field : fields)
        printable.append(printableText(field));
    write(stdout, printable.join(u'\t').toUtf8() + '\n');
}

void TerminalConsole::note(const QString& text) {
    write(stderr, printableText(text).toUtf8() + '\n');
}

void TerminalConsole::prompt(const QString& text) {
    write(stderr, printableText(text).toUtf8());
}

std::optional<QString> TerminalConsole::readLine() {
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    return QString::fromUtf8(line.data(), qsizetype(line.size()));
}
