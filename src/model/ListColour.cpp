#include "ListColour.h"

const QList<ListColour>& ListColour::all() {
    static const QList<ListColour> palette = {
        {QStringLiteral("blue"), QStringLiteral("Blue"), 0x0058BC, 0x4C8DF6},
        {QStringLiteral("teal"), QStringLiteral("Teal"), 0x006687, 0x4FB3D9},
        {QStringLiteral("green"), QStringLiteral("Green"), 0x1B6B3A, 0x4CAF72},
        {QStringLiteral("orange"), QStringLiteral("Orange"), 0xC64F00, 0xE07A2F},
        {QStringLiteral("red"), QStringLiteral("Red"), 0xBA1A1A, 0xE06767},
        {QStringLiteral("purple"), QStringLiteral("Purple"), 0x6A3EA1, 0xA07FD6},
        {QStringLiteral("pink"), QStringLiteral("Pink"), 0xA3316B, 0xD97BAC},
        {QStringLiteral("slate"), QStringLiteral("Slate"), 0x414755, 0x8B91A1},
    };
    return palette;
}

const ListColour& ListColour::blue() {
    return all().front();
}

const ListColour& ListColour::find(const QString& id) {
    for (const ListColour& colour : all()) {
        if (colour.id == id)
            return colour;
    }
    return blue();
}
