// Gallery pictures of the theme: colours, list palette, symbols, type and the brand mark.
#include "GalleryBoard.h"
#include "GalleryShot.h"
#include "PaintedSample.h"

#include "model/ListColour.h"
#include "ui/theme/BrandMark.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ListPalette.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QFontMetricsF>

namespace {

using namespace Theme;

QWidget* colours() {
    auto* board = new GalleryBoard(Colour::background);
    const int columns = 4;
    const int rows = (Colour::all().size() + columns - 1) / columns;
    board->add("Design colours",
               new PaintedSample(QSize(560, rows * 64), [](QPainter& p, const QRectF& r) {
                   const double w = r.width() / columns;
                   for (int i = 0; i < Colour::all().size(); ++i) {
                       const QRectF cell(r.left() + (i % columns) * w, r.top() + (i / columns) * 64,
                                         w, 64);
                       const QRectF swatch(cell.left() + 4, cell.top() + 4, cell.width() - 8, 36);
                       p.setPen(QPen(Colour::outlineVariant.resolved(), 1));
                       p.setBrush(Colour::all().at(i).colour.resolved());
                       p.drawRoundedRect(swatch, 8, 8);
                       p.setPen(Colour::onSurface.resolved());
                       p.setFont(DesignFont::system(11, QFont::Normal, FontScaling::fixed));
                       p.drawText(
                           QRectF(cell.left() + 4, swatch.bottom() + 2, cell.width() - 8, 18),
                           Qt::AlignLeft | Qt::AlignVCenter, Colour::all().at(i).name);
                   }
               }));
    board->add("List palette, with a glyph",
               new PaintedSample(QSize(560, 80), [](QPainter& p, const QRectF& r) {
                   const double w = r.width() / ListColour::all().size();
                   for (int i = 0; i < ListColour::all().size(); ++i) {
                       const ListColour& entry = ListColour::all().at(i);
                       const QRectF tile(r.left() + i * w + (w - 48) / 2, r.top(), 48, 48);
                       p.setPen(Qt::NoPen);
                       p.setBrush(ListPalette::colour(entry).resolved());
                       p.drawRoundedRect(tile, 13.4, 13.4);
                       Symbols::paint(p, tile, "cart", 48 * 0.45, ListPalette::glyph.resolved());
                       p.setPen(Colour::onSurface.resolved());
                       p.setFont(DesignFont::system(11, QFont::Normal, FontScaling::fixed));
                       p.drawText(QRectF(r.left() + i * w, tile.bottom() + 4, w, 20),
                                  Qt::AlignCenter, entry.name);
                   }
               }));
    board->add("Urgency: relaxed, soon, tight, overdue",
               new PaintedSample(QSize(560, 24), [](QPainter& p, const QRectF& r) {
                   const ListUrgency levels[] = {ListUrgency::relaxed, ListUrgency::soon,
                                                 ListUrgency::tight, ListUrgency::overdue};
                   for (int i = 0; i < 4; ++i) {
                       p.setPen(Qt::NoPen);
                       p.setBrush(ListPalette::urgency(levels[i])->resolved());
                       p.drawEllipse(QRectF(r.left() + i * 40 + 4, r.top() + 4, 16, 16));
                   }
               }));
    return board;
}

QWidget* symbols() {
    auto* board = new GalleryBoard(Colour::background);
    QStringList names = Symbols::table().keys();
    names.sort();
    names.append("no.such.symbol");
    const int columns = 4;
    const int rows = (int(names.size()) + columns - 1) / columns;
    board->add("Symbols by name (the last one is unknown)",
               new PaintedSample(QSize(820, rows * 36), [names](QPainter& p, const QRectF& r) {
                   const double w = r.width() / columns;
                   for (int i = 0; i < names.size(); ++i) {
                       const QRectF cell(r.left() + (i % columns) * w, r.top() + (i / columns) * 36,
                                         w, 36);
                       Symbols::paint(p, QRectF(cell.left(), cell.top(), 36, 36), names.at(i), 20,
                                      Colour::primary.resolved());
                       p.setPen(Colour::onSurface.resolved());
                       p.setFont(DesignFont::system(11, QFont::Normal, FontScaling::fixed));
                       p.drawText(QRectF(cell.left() + 40, cell.top(), w - 40, 36),
                                  Qt::AlignLeft | Qt::AlignVCenter, names.at(i));
                   }
               }));
    return board;
}

QWidget* brand() {
    auto* board = new GalleryBoard(Colour::background);
    board->add("Brand mark on the brand colour, 21 and 64 high",
               new PaintedSample(QSize(400, 96), [](QPainter& p, const QRectF& r) {
                   p.fillRect(r, Colour::brand.resolved());
                   BrandMark::paint(p, QRectF(r.left() + 16, r.top() + 37, 60, 21),
                                    Colour::onBrand.resolved());
                   BrandMark::paint(p, QRectF(r.left() + 120, r.top() + 16, 200, 64),
                                    Colour::onBrand.resolved());
               }));
    board->add("Brand mark in the text colour",
               new PaintedSample(QSize(400, 140), [](QPainter& p, const QRectF& r) {
                   BrandMark::paint(p, QRectF(r.left(), r.top(), 200, 140),
                                    Colour::onSurface.resolved());
               }));
    return board;
}

QWidget* type() {
    auto* board = new GalleryBoard(Colour::background);
    struct Sample {
        const char* caption;
        QFont font;
    };
    const Sample samples[] = {
        {"Brand 21, fixed", DesignFont::brand(21, FontScaling::fixed)},
        {"Title 22 semibold, scaled", DesignFont::system(22, QFont::DemiBold)},
        {"Button 17 semibold, scaled", DesignFont::system(17, QFont::DemiBold)},
        {"Field 15, scaled", DesignFont::system(15)},
        {"Small heading 12 mono medium, scaled", DesignFont::smallHeading()},
        {"Body style 13, fixed", DesignFont::style(TextStyle::body)},
        {"Footnote style 10, fixed", DesignFont::style(TextStyle::footnote)},
    };
    for (const Sample& sample : samples) {
        const QFont font = sample.font;
        const double height = QFontMetricsF(font).height() + 4;
        board->add(sample.caption,
                   new PaintedSample(QSize(480, int(height)), [font](QPainter& p, const QRectF& r) {
                       p.setFont(font);
                       p.setPen(Colour::onSurface.resolved());
                       p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter,
                                  QStringLiteral("Milk, eggs & bread 🥚"));
                   }));
    }
    return board;
}

const GalleryShot::Add coloursShot({"theme-colours-and-palette", 600, 0, colours});
const GalleryShot::Add symbolsShot({"theme-symbols", 860, 0, symbols});
const GalleryShot::Add brandShot({"theme-brand-mark", 440, 0, brand});
const GalleryShot::Add typeShot({"theme-type-sizes", 520, 0, type});

} // namespace
