// From a draft to an item's text.
#include "AddDraftRule.h"

#include "platform/Unicode.h"

namespace {

// LF, VT, FF, CR, NEL and the line and paragraph separators: white space that is not a blank.
bool isLineBreak(QChar c) {
    return Unicode::isWhitespaceOrNewline(c.unicode()) && !Unicode::isBlank(c.unicode());
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

bool holdsSeveralLines(const QString& pasted) {
    int lines = 0;
    bool lineHolds = false;
    for (const QChar c : pasted) {
        if (isLineBreak(c)) {
            lineHolds = false; // CR LF ends one line: the LF ends an empty one
            continue;
        }
        if (!lineHolds && !Unicode::isWhitespaceOrNewline(c.unicode())) {
            lineHolds = true;
            if (++lines == 2)
                return true;
        }
    }
    return false;
}

} // namespace AddDraftRule
