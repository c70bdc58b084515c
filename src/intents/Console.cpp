#include "intents/Console.h"

#include <cstdio>
#include <iostream>
#include <string>

#include <unistd.h>

QString printableText(const QString& text) {
    QString printable = text;
    for (QChar& c : printable) {
        const char16_t u = c.unicode();
        const bool control = (u < 0x20 && u != u'\t') || (u >= 0x7F && u <= 0x9F);
        if (control)
            c = QChar(0xFFFD);
    }
    return printable;
}

bool TerminalConsole::interactive() const {
    return ::isatty(STDIN_FILENO) == 1;
}

void TerminalConsole::say(const QString& sentence) {
    const QByteArray bytes = printableText(sentence).toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void TerminalConsole::note(const QString& text) {
    const QByteArray bytes = printableText(text).toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void TerminalConsole::prompt(const QString& text) {
    const QByteArray bytes = printableText(text).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

std::optional<QString> TerminalConsole::readLine() {
    std::string line;
    if (!std::getline(std::cin, line))
        return std::nullopt;
    return QString::fromUtf8(line.data(), qsizetype(line.size()));
}
