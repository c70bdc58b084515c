// Which characters of names and items may reach a terminal.
#include "IntentsTestSupport.h"

namespace {

TEST(PrintableText, EverythingThatCouldSplitALineDriveOrReorderTheTerminalIsReplaced) {
    const QString replaced = QString(QChar(0xFFFD));
    const struct {
        const char* what;
        char16_t character;
    } unprintable[] = {
        {"NUL", 0x0000},
        {"tab", 0x0009},
        {"line feed", 0x000A},
        {"carriage return", 0x000D},
        {"escape", 0x001B},
        {"delete", 0x007F},
        {"next line", 0x0085},
        {"control sequence introducer", 0x009B},
        {"arabic letter mark", 0x061C},
        {"left-to-right mark", 0x200E},
        {"right-to-left mark", 0x200F},
        {"line separator", 0x2028},
        {"paragraph separator", 0x2029},
        {"left-to-right embedding", 0x202A},
        {"right-to-left embedding", 0x202B},
        {"pop directional formatting", 0x202C},
        {"left-to-right override", 0x202D},
        {"right-to-left override", 0x202E},
        {"left-to-right isolate", 0x2066},
        {"right-to-left isolate", 0x2067},
        {"first strong isolate", 0x2068},
        {"pop directional isolate", 0x2069},
    };
    for (const auto& c : unprintable) {
        SCOPED_TRACE(c.what);
        const QString text = QStringLiteral("a") + QChar(c.character) + QStringLiteral("b");
        EXPECT_EQ(printableText(text), QStringLiteral("a") + replaced + QStringLiteral("b"));
    }

    // Ordinary text, other scripts and emoji sequences (joiners included) print as they are.
    const QString kept[] = {
        QStringLiteral("Milk #dairy"),
        QString::fromUtf16(u"\u05D7\u05DC\u05D1 \u0645\u0644\u0641"),
        QString::fromUtf16(u"\U0001F468\u200D\U0001F469\u200D\U0001F467 \U0001F44D\U0001F3FD"),
        QString::fromUtf16(u"caf\u0065\u0301\u00A0x"),
    };
    for (const QString& text : kept)
        EXPECT_EQ(printableText(text), text);
}

} // namespace
