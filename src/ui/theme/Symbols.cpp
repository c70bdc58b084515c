// The symbol table and the painting of symbol glyphs, slashed ones included.
#include "Symbols.h"

#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

// Material glyphs leave a sixth of their em square empty around the drawing; a slightly larger
// em makes a glyph as tall as a design symbol of the same size.
constexpr double emPerDesignPoint = 1.15;

QString text(char32_t codepoint) {
    return QString::fromUcs4(&codepoint, 1);
}

} // namespace

namespace Symbols {

const QHash<QString, SymbolGlyph>& table() {
    static const QHash<QString, SymbolGlyph> glyphs = {
        // List icons.
        {QStringLiteral("checklist"), {0xE6B1}},
        {QStringLiteral("cart"), {0xE8CC}},           // shopping_cart
        {QStringLiteral("fork.knife"), {0xE56C}},     // restaurant
        {QStringLiteral("house"), {0xE88A}},          // home
        {QStringLiteral("washer"), {0xE54A}},         // local_laundry_service
        {QStringLiteral("pawprint"), {0xE91D}},       // pets
        {QStringLiteral("briefcase"), {0xE8F9}},      // work
        {QStringLiteral("laptopcomputer"), {0xE31E}}, // laptop
        {QStringLiteral("calendar"), {0xE935}},       // calendar_today
        {QStringLiteral("chart.bar"), {0xE26B}},      // bar_chart
        {QStringLiteral("envelope"), {0xE158}},       // mail
        {QStringLiteral("airplane"), {0xE539}},       // flight
        {QStringLiteral("car"), {0xE531}},            // directions_car
        {QStringLiteral("map"), {0xE55B}},
        {QStringLiteral("tent"), {0xEA68}},           // festival
        {QStringLiteral("beach.umbrella"), {0xEB3E}}, // beach_access
        {QStringLiteral("heart"), {0xE87D}},          // favorite
        {QStringLiteral("dumbbell"), {0xEB43}},       // fitness_center
        {QStringLiteral("book"), {0xEA19}},           // menu_book
        {QStringLiteral("gift"), {0xE8F6}},           // card_giftcard
        {QStringLiteral("birthday.cake"), {0xE7E9}},  // cake
        {QStringLiteral("graduationcap"), {0xE80C}},  // school
        {QStringLiteral("stethoscope"), {0xF109}},    // medical_services
        {QStringLiteral("hammer"), {0xEA59}},         // hardware
        {QStringLiteral("leaf"), {0xEA35}},           // eco
        {QStringLiteral("music.note"), {0xE405}},     // music_note
        // Marks and controls.
        {QStringLiteral("checkmark"), {0xE5CA}},                     // check
        {QStringLiteral("checkmark.circle"), {0xE92D}},              // check_circle_outline
        {QStringLiteral("checkmark.circle.fill"), {0xE86C}},         // check_circle
        {QStringLiteral("circle"), {0xE836}},                        // radio_button_unchecked
        {QStringLiteral("largecircle.fill.circle"), {0xE837}},       // radio_button_checked
        {QStringLiteral("chevron.backward"), {0xE2EA}},              // arrow_back_ios_new
        {QStringLiteral("chevron.down"), {0xE5CF}},                  // expand_more
        {QStringLiteral("chevron.right"), {0xE5CC}},                 // chevron_right
        {QStringLiteral("chevron.up.chevron.down"), {0xE5D7}},       // unfold_more
        {QStringLiteral("ellipsis.circle"), {0xEF64}},               // pending
        {QStringLiteral("exclamationmark.triangle"), {0xE002}},      // warning
        {QStringLiteral("eye"), {0xE8F4}},                           // visibility
        {QStringLiteral("folder.badge.plus"), {0xE2CC}},             // create_new_folder
        {QStringLiteral("folder.badge.minus"), {0xEB34}},            // folder_delete
        {QStringLiteral("gearshape"), {0xE8B8}},                     // settings
        {QStringLiteral("pencil"), {0xE3C9}},                        // edit
        {QStringLiteral("person"), {0xE7FF}},                        // person_outline
        {QStringLiteral("person.2"), {0xE7FC}},                      // people_outline
        {QStringLiteral("person.2.fill"), {0xE7EF}},                 // group
        {QStringLiteral("person.badge.plus"), {0xE7FE}},             // person_add
        {QStringLiteral("person.crop.circle.badge.plus"), {0xEA4D}}, // person_add_alt
        {QStringLiteral("person.fill"), {0xE7FD}},                   // person
        {QStringLiteral("pin"), {0xF10D}},                           // push_pin
        {QStringLiteral("pin.fill"), {0xF10D}},                      // push_pin
        {QStringLiteral("pin.slash"), {0xF10D, true}},               // push_pin, slashed
        {QStringLiteral("plus"), {0xE145}},                          // add
        {QStringLiteral("plus.circle"), {0xE148}},                   // add_circle_outline
        {QStringLiteral("plus.circle.fill"), {0xE147}},              // add_circle
        {QStringLiteral("sidebar.left"), {0xF114}},                  // view_sidebar
        {QStringLiteral("speaker.wave.2"), {0xE050}},                // volume_up
        {QStringLiteral("square.and.arrow.up"), {0xE6B8}},           // ios_share
        {QStringLiteral("folder"), {0xE2C7}},                        // folder
        {QStringLiteral("doc.on.doc"), {0xE14D}},                    // content_copy
        {QStringLiteral("square.and.pencil"), {0xE745}},             // edit_note
        {QStringLiteral("square.stack.3d.up"), {0xE53B}},            // layers
        {QStringLiteral("star"), {0xE83A}},                          // star_border
        {QStringLiteral("star.fill"), {0xE838}},                     // star
        {QStringLiteral("star.slash"), {0xE83A, true}},              // star_border, slashed
        {QStringLiteral("text.bubble"), {0xE0B9}},                   // comment
        {QStringLiteral("textformat.size.smaller"), {0xEADD}},       // text_decrease
        {QStringLiteral("textformat.size.larger"), {0xEAE2}},        // text_increase
        {QStringLiteral("trash"), {0xE92E}},                         // delete_outline
        {QStringLiteral("xmark"), {0xE5CD}},                         // close
        {QStringLiteral("arrow.triangle.2.circlepath"), {0xE627}},   // sync
        {QStringLiteral("arrow.up.arrow.down"), {0xE8D5}},           // swap_vert
        {QStringLiteral("arrow.up.forward.app"), {0xE89E}},          // open_in_new
        {QStringLiteral("doc.on.clipboard"), {0xE14F}},              // content_paste
    };
    return glyphs;
}

bool knows(const QString& name) {
    return table().contains(name);
}

SymbolGlyph glyph(const QString& name) {
    const auto found = table().constFind(name);
    if (found != table().constEnd())
        return *found;
    return table().value(fallbackName);
}

void ensureFontRegistered() {
    static bool done = false;
    if (done)
        return;
    done = true;
    if (QFontDatabase::families().contains(fontFamily))
        return;
    if (QFile::exists(fontPath))
        QFontDatabase::addApplicationFont(fontPath);
}

QFont font(double designPoints) {
    ensureFontRegistered();
    QFont symbolFont(fontFamily);
    symbolFont.setPixelSize(qMax(1, qRound(designPoints * emPerDesignPoint)));
    symbolFont.setStyleStrategy(QFont::NoFontMerging);
    return symbolFont;
}

void paint(QPainter& painter, const QRectF& box, const QString& name, double designPoints,
           const QColor& colour) {
    const SymbolGlyph symbol = glyph(name);
    if (!symbol.slashed) {
        painter.save();
        painter.setFont(font(designPoints));
        painter.setPen(colour);
        painter.drawText(box, Qt::AlignCenter, text(symbol.codepoint));
        painter.restore();
        return;
    }
    // The slash cuts a gap through the glyph and is then drawn in the gap, as the design's
    // slashed symbols are; the gap must show what is behind, so the glyph is drawn on a layer.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize layerSize = (box.size() * ratio).toSize().expandedTo(QSize(1, 1));
    QImage layer(layerSize, QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF local(QPointF(0, 0), box.size());
        p.setFont(font(designPoints));
        p.setPen(colour);
        p.drawText(local, Qt::AlignCenter, text(symbol.codepoint));
        const double side = designPoints * emPerDesignPoint * 0.8;
        const QRectF glyphBox(local.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
        const double width = qMax(1.0, designPoints / 10.0);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.setPen(QPen(Qt::transparent, width * 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(glyphBox.topLeft(), glyphBox.bottomRight());
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(glyphBox.topLeft(), glyphBox.bottomRight());
    }
    painter.drawImage(box.topLeft(), layer);
}

QPixmap pixmap(const QString& name, double designPoints, const QColor& colour,
               qreal devicePixelRatio) {
    const int side = qCeil(designPoints * emPerDesignPoint);
    QPixmap image{QSize(side, side) * devicePixelRatio};
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, QRectF(0, 0, side, side), name, designPoints, colour);
    return image;
}

} // namespace Symbols
