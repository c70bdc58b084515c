#include "ui/window/TextScaleControls.h"

#include "platform/Defaults.h"

#include <algorithm>

namespace TextScaleControls {

namespace {

bool canStep(Direction direction, TextScale current) {
    return stepped(direction, current) != current;
}

} // namespace

QList<Button> buttons(TextScale current, Form form) {
    const auto make = [&](Direction direction, const QString& symbol, const QString& label) {
        return Button{direction, symbol, label, form == Form::window ? label : QString(),
                      canStep(direction, current)};
    };
    return {make(Direction::smaller, QStringLiteral("textformat.size.smaller"),
                 QStringLiteral("Smaller text")),
            make(Direction::bigger, QStringLiteral("textformat.size.larger"),
                 QStringLiteral("Bigger text"))};
}

TextScale stepped(Direction direction, TextScale current) {
    const QList<TextScale>& all = TextScale::allCases();
    const qsizetype index = all.indexOf(current);
    const qsizetype next = direction == Direction::smaller ? std::max<qsizetype>(index - 1, 0)
                                                           : std::min(index + 1, all.size() - 1);
    return all.at(next);
}

void press(Direction direction, Defaults& defaults) {
    const TextScale current = TextScale::stored(defaults);
    if (canStep(direction, current))
        TextScale::store(defaults, stepped(direction, current));
}

} // namespace TextScaleControls
