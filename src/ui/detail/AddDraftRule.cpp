// From a draft to an item's text.
#include "AddDraftRule.h"

#include "platform/Unicode.h"

namespace {

bool isLineBreak(QChar c) {
    switch (c.unicode()) {
    case 0x000A:
    case 0x000B:
    case 0x000C:
    case 0x000D:
    case 0x0085:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

} // namespace

namespace AddDraftRule {

QString itemText(const QString& draft) {
    QString flat;
    flat.reserve(draft.size());
    for (qsizetype i = 0; i < draft.size(); ++i) {
        const QChar c = draft.at(i);
        if (!isLineBreak(c)) {
            flat.append(c);
            continue;
        }
        // CR LF is one line break.
        if (c == u'\r' && i + 1 < draft.size() && draft.at(i + 1) == u'\n')
            ++i;
        flat.append(u' ');
    }
    return Unicode::trimWhitespaceAndNewlines(flat);
}

bool isBlank(const QString& draft) {
    return itemText(draft).isEmpty();
}

} // namespace AddDraftRule
