// Gallery pictures of the shared components, with sample data.
#include "GalleryBoard.h"
#include "GalleryShot.h"
#include "KeyboardFocus.h"
#include "PaintedSample.h"

#include "model/TBList.h"
#include "ui/components/AddItemField.h"
#include "ui/components/BrandHeader.h"
#include "ui/components/CardRow.h"
#include "ui/components/CentredFooterLayout.h"
#include "ui/components/ContactCircle.h"
#include "ui/components/DragStripes.h"
#include "ui/components/EmptyState.h"
#include "ui/components/FloatingAddButton.h"
#include "ui/components/FlowLayout.h"
#include "ui/components/ItemHeaderBar.h"
#include "ui/components/ListBadge.h"
#include "ui/components/ListTileBackground.h"
#include "ui/components/NamePromptSheet.h"
#include "ui/components/NewGroupPill.h"
#include "ui/components/NoteField.h"
#include "ui/components/PrimaryButton.h"
#include "ui/components/ReadingColumn.h"
#include "ui/components/SegmentedPicker.h"
#include "ui/components/SettingsHeaderBar.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/SymbolButton.h"
#include "ui/components/TagChip.h"
#include "ui/components/TextButton.h"
#include "ui/components/TextLabel.h"
#include "ui/detail/GroupChip.h"
#include "ui/item/ItemNameField.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/ThemeColour.h"

#include <QBuffer>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>

namespace {

using namespace Theme;

// A row of widgets side by side, top-aligned.
QWidget* row(std::initializer_list<QWidget*> widgets, int spacing = 12) {
    auto* holder = new QWidget;
    auto* layout = new QHBoxLayout(holder);
    // Room below for the shadows of floating buttons.
    layout->setContentsMargins(0, 0, 0, 8);
    layout->setSpacing(spacing);
    for (QWidget* widget : widgets)
        layout->addWidget(widget, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return holder;
}

TBList sampleList(const QString& icon, const QString& colour) {
    TBList list;
    list.name = QStringLiteral("Groceries");
    list.icon = icon;
    list.colourID = colour;
    return list;
}

QByteArray samplePhoto() {
    QImage image(120, 80, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 120, 80);
    gradient.setColorAt(0, QColor(0xE0, 0x7A, 0x2F));
    gradient.setColorAt(1, QColor(0x6A, 0x3E, 0xA1));
    painter.fillRect(image.rect(), gradient);
    painter.setBrush(QColor(0xFA, 0xF9, 0xFE));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(60, 34), 16, 16);
    painter.drawEllipse(QPointF(60, 84), 30, 26);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QWidget* headers() {
    auto* board = new GalleryBoard(Colour::background);
    board->add("Brand header", new BrandHeader);
    board->add("Item header bar, with Delete item", new ItemHeaderBar(true));
    board->add("Item header bar, cannot delete (same height)", new ItemHeaderBar(false));
    board->add("Settings header bar", new SettingsHeaderBar);
    board->addStretch();
    return board;
}

QWidget* buttons() {
    auto* board = new GalleryBoard(Colour::background);
    board->add("Primary button, active and inactive",
               row({new PrimaryButton("Create list"), new PrimaryButton("Save", true)}));
    // A margin rather than a fixed width: Qt's box layouts ask for a height at the full width.
    auto* narrow = new QWidget;
    auto* narrowLayout = new QHBoxLayout(narrow);
    narrowLayout->setContentsMargins(0, 0, 480 - 32 - 220, 0);
    narrowLayout->addWidget(new PrimaryButton("Make a list for the whole family"));
    board->add("Primary button with a long title, in 220 points", narrow);
    board->add(
        "Floating add button, active and inactive",
        row({new FloatingAddButton("New list"), new FloatingAddButton("New list", true)}, 24));
    auto* back = new SymbolButton("chevron.backward", 20, Colour::primary, "Back");
    back->setCircle(Colour::chip);
    board->add("Text and symbol buttons",
               row({new TextButton("Cancel", {DesignFont::system(17), Colour::primary,
                                              QMargins(4, 0, 4, 0), 44, std::nullopt}),
                    back, new SymbolButton("star.fill", 17, Colour::accent, "Unstar"),
                    new SymbolButton("pin.slash", 17, Colour::onSurfaceVariant, "Unpin")}));
    board->add("New group pill, full and icon only",
               row({new NewGroupPill(false), new NewGroupPill(true)}, 24));
    board->addStretch();
    return board;
}

// Every kind of painted button as Tab leaves it: ringed, with a band of the background between
// the ring and a filled face.
QWidget* focusRings() {
    using KeyboardFocus::picture;
    auto* board = new GalleryBoard(Colour::background);
    auto* back = new SymbolButton("chevron.backward", 20, Colour::primary, "Back");
    back->setCircle(Colour::chip);
    auto* plus = new SymbolButton("plus", 22, Colour::onAccent, "Add");
    plus->setCircle(Colour::accentBold);
    board->add("Floating add button, active and inactive",
               row({picture(new FloatingAddButton("New list"), Colour::background),
                    picture(new FloatingAddButton("New list", true), Colour::background)}));
    board->add("Back, the add bar's plus, list actions, star",
               row({picture(back, Colour::background), picture(plus, Colour::background),
                    picture(new SymbolButton("ellipsis.circle", 17, Colour::primary, "Actions"),
                            Colour::background),
                    picture(new SymbolButton("star", 17, Colour::onSurfaceVariant, "Star"),
                            Colour::background)}));
    auto* brand = new BrandHeader;
    board->add("The gear on the brand bar", picture(brand, Colour::brand, brand->settingsButton()));
    auto* settingsBar = new SettingsHeaderBar;
    settingsBar->setFixedWidth(440);
    board->add("Done on the settings bar",
               picture(settingsBar, Colour::brand, settingsBar->findChild<PaintedButton*>()));
    board->add("Text buttons: plain, in the error colour",
               row({picture(new TextButton("Cancel", {DesignFont::system(17), Colour::primary,
                                                      QMargins(4, 0, 4, 0), 44, std::nullopt}),
                            Colour::background),
                    picture(new TextButton("Delete item",
                                           {DesignFont::system(15, QFont::DemiBold), Colour::error,
                                            QMargins(16, 0, 16, 0), 44, std::nullopt}),
                            Colour::background)}));
    board->add("Primary button, New group pill",
               row({picture(new PrimaryButton("Create list"), Colour::background),
                    picture(new NewGroupPill(false), Colour::sidebarSurface)}));
    board->add("Chips: Group, a tag, a selected tag",
               row({picture(new GroupChip(false, "Group by tag"), Colour::background),
                    picture(new TagChip("dairy", false), Colour::background),
                    picture(new TagChip("bakery", true), Colour::background)}));
    const auto segment = [](int selected, int focused) {
        auto* picker = new SegmentedPicker({"System", "Light", "Dark"}, selected);
        picker->setFixedWidth(210);
        return picture(picker, Colour::card, picker->findChildren<PaintedButton*>().value(focused));
    };
    board->add("Segmented picker: the selected segment, another",
               row({segment(1, 1), segment(1, 0)}));
    const auto field = [](SingleLineField* field, const QString& text) {
        field->setFrame(false);
        field->setText(text);
        field->setFixedWidth(150);
        return field;
    };
    auto* name = new ItemNameField;
    name->setPlainText("Oat milk");
    name->setFixedWidth(180);
    auto* note = new NoteField;
    note->setFixedWidth(180);
    board->add("Fields without a border: New item, Your name",
               row({picture(field(new AddItemField, "Oat milk"), Colour::inputField),
                    picture(field(new SingleLineField, "Ann Lee"), Colour::card)}));
    board->add("Fields without a border: the item's name, Add a note",
               row({picture(name, Colour::background), picture(note, Colour::inputField)}));
    board->addStretch();
    return board;
}

QWidget* chipsAndPicker() {
    auto* board = new GalleryBoard(Colour::background);
    auto* chips = new QWidget;
    auto* flow = new FlowLayout(8, chips);
    const char* tags[] = {"fruit",     "dairy",  "bakery", "frozen-food",
                          "household", "pantry", "drinks", "snacks_and_sweets",
                          "deli"};
    int index = 0;
    for (const char* tag : tags)
        flow->addWidget(new TagChip(tag, index++ == 1));
    board->add("Tag chips in a flow layout (dairy selected)", chips);
    board->add("Segmented picker, Dark selected",
               new SegmentedPicker({"System", "Light", "Dark"}, 2));
    board->add("Segmented picker, a value that is no option",
               new SegmentedPicker({"System", "Light", "Dark"}, -1));
    board->add(
        "Segmented picker, long titles shrink",
        new SegmentedPicker({"Every list", "Items to go", "Due today", "Shared with others"}, 0));
    board->addStretch();
    return board;
}

QWidget* badgesAndRows() {
    auto* board = new GalleryBoard(Colour::background);
    board->add("List badges: 40, 28 and an unknown colour and icon (blue checklist)",
               row({new ListBadge(sampleList("cart", "green"), 40),
                    new ListBadge(sampleList("airplane", "purple"), 40),
                    new ListBadge(sampleList("birthday.cake", "pink"), 28),
                    new ListBadge(sampleList("sparkles", "Mauve"), 40)}));
    PersonDisplay::Resolved photo;
    photo.photo = samplePhoto();
    photo.initials = QStringLiteral("AB");
    PersonDisplay::Resolved initials;
    initials.initials = QStringLiteral("KM");
    PersonDisplay::Resolved broken;
    broken.photo = QByteArray("not an image");
    board->add("Contact circles: photo, initials, nothing known, undecodable photo",
               row({new ContactCircle(photo, 40), new ContactCircle(initials, 40),
                    new ContactCircle({}, 40), new ContactCircle(broken, 28)}));
    board->add("Card row", new CardRow(false, 12,
                                       new TextLabel("Milk, 2 litres", DesignFont::system(15),
                                                     Colour::onSurface)));
    board->add("Card row, muted",
               new CardRow(true, 12,
                           new TextLabel("Completed: bread", DesignFont::system(15),
                                         Colour::onSurfaceVariant)));
    board->add("List tiles: selected, then plain with drag stripes",
               new PaintedSample(QSize(440, 128), [](QPainter& p, const QRectF& r) {
                   p.fillRect(r, Colour::listsPageSurface.resolved());
                   const QRectF first(r.left() + 8, r.top() + 8, r.width() - 16, 52);
                   ListTileBackground::paint(p, first, true);
                   ListBadge::paint(p, QRectF(first.left() + 12, first.top() + 8, 36, 36), "cart",
                                    "blue");
                   p.setPen(Colour::onSurface.resolved());
                   p.setFont(DesignFont::system(15, QFont::DemiBold));
                   p.drawText(first.adjusted(60, 0, 0, 0), Qt::AlignVCenter, "Groceries");
                   const QRectF second(r.left() + 8, first.bottom() + 8, r.width() - 16 - 44, 52);
                   ListTileBackground::paint(p, second, false);
                   ListBadge::paint(p, QRectF(second.left() + 12, second.top() + 8, 36, 36),
                                    "airplane", "teal");
                   p.setPen(Colour::onSurface.resolved());
                   p.drawText(second.adjusted(60, 0, 0, 0), Qt::AlignVCenter, "Holiday packing");
                   DragStripes::paint(
                       p, QRectF(QPointF(second.right(), second.top()), QSizeF(DragStripes::area)));
               }));
    board->addStretch();
    return board;
}

QWidget* textFields() {
    auto* board = new GalleryBoard(Colour::background);
    auto* add = new AddItemField;
    add->setText("Sourdough bread #bakery");
    board->add("Add item field (on the input colour)", new CardRow(true, 8, add));
    auto* one = new NoteField;
    board->add("Note field, empty: one line", new CardRow(false, 8, one));
    auto* seven = new NoteField;
    seven->setText("First line\nSecond\nThird\nFourth\nFifth\nSixth\nSeventh line scrolls");
    board->add("Note field with seven lines: six high, scrolls", new CardRow(false, 8, seven));
    board->addStretch();
    return board;
}

QWidget* emptyStates() {
    auto* board = new GalleryBoard(Colour::listsPageSurface);
    board->add("Empty state with an action",
               new EmptyState(
                   {"No lists yet",
                    "Make a list for the shop, a trip or anything else you need to keep track of.",
                    "checklist", QStringLiteral("New list"), [] {}}));
    board->add("Empty state without an action (title but no action)",
               new EmptyState({"Nothing here", "Ticked items show up here.", "checkmark.circle",
                               QStringLiteral("Ignored"), nullptr}));
    return board;
}

QWidget* namePrompt(const QString& text) {
    auto* sheet = new NamePromptSheet({"New group", "Group name", "Create"}, nullptr);
    sheet->setText(text);
    return sheet;
}

// A footer row at a given width, with the pill switching to its icon-only form when it is
// offered less than its full width.
QWidget* footer(int width) {
    auto* holder = new QWidget;
    holder->setFixedSize(width, 72);
    auto* layout = new CentredFooterLayout(8, holder);
    layout->setContentsMargins(0, 8, 0, 8);
    auto* pill = new NewGroupPill;
    layout->addWidget(pill);
    layout->addWidget(new FloatingAddButton("New list"));
    layout->setFirstSize([pill](double offered) {
        pill->setIconOnly(offered < pill->fullWidth());
        return QSizeF(pill->sizeHint());
    });
    return holder;
}

QWidget* footers() {
    auto* board = new GalleryBoard(Colour::sidebarSurface);
    board->add("Footer row, 360 wide: pill centred in the whole row", footer(360));
    board->add("Footer row, 250 wide: pill pushed left of the add button", footer(250));
    board->add("Footer row, 160 wide: icon-only pill", footer(160));
    board->addStretch();
    return board;
}

QWidget* plainTexts() {
    auto* board = new GalleryBoard(Colour::background);
    const QString name = QStringLiteral("<b>x</b> & y");
    board->add("Label", new TextLabel(name, DesignFont::system(15), Colour::onSurface));
    board->add("Primary button and tag chip",
               row({new PrimaryButton(name), new TagChip(name, false)}));
    board->add("Empty state", new EmptyState({name, name, "cart", std::nullopt, nullptr}));
    board->addStretch();
    return board;
}

QWidget* readingColumn() {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(16, 16, 16, 16);
    for (const char* text : {"Milk", "Eggs", "Bread"})
        layout->addWidget(
            new CardRow(false, 12, new TextLabel(text, DesignFont::system(15), Colour::onSurface)));
    layout->addStretch();
    return new ReadingColumn(content, Colour::background);
}

const GalleryShot::Add headersShot({"components-headers", 480, 0, headers});
const GalleryShot::Add buttonsShot({"components-buttons", 480, 0, buttons});
const GalleryShot::Add chipsShot({"components-chips-and-picker", 420, 0, chipsAndPicker});
const GalleryShot::Add focusShot({"components-focus-rings", 480, 0, focusRings});
// An alert's question with the keyboard on Delete, and on Cancel, its default button: the style's
// buttons wear the program's ring.
QWidget* alertRings() {
    auto* board = new GalleryBoard(Colour::background);
    for (int focused : {0, 1}) {
        auto* box =
            new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Delete \u201cGroceries\u201d?"),
                            QStringLiteral("Its 12 items go too."), QMessageBox::NoButton);
        QPushButton* remove =
            box->addButton(QStringLiteral("Delete"), QMessageBox::DestructiveRole);
        QPushButton* cancel = box->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
        box->setDefaultButton(cancel);
        box->setWindowFlags(Qt::Widget);
        board->add(focused == 0 ? "The keyboard on Delete" : "The keyboard on Cancel, the default",
                   KeyboardFocus::picture(box, Colour::background, focused == 0 ? remove : cancel));
    }
    board->addStretch();
    return board;
}

const GalleryShot::Add alertShot({"components-alert-focus-rings", 480, 0, alertRings});
const GalleryShot::Add badgesShot({"components-badges-cards-tiles", 480, 0, badgesAndRows});
const GalleryShot::Add fieldsShot({"components-text-fields", 420, 0, textFields});
const GalleryShot::Add emptyShot({"components-empty-states", 420, 0, emptyStates});
const GalleryShot::Add promptBlankShot({"components-name-prompt-blank", 420, 0,
                                        [] { return namePrompt({}); }});
const GalleryShot::Add promptOpenedShot({"components-name-prompt-opened-focus", 420, 0,
                                         [] { return namePrompt({}); }, KeyboardFocus::opened});
const GalleryShot::Add promptTypedShot({"components-name-prompt-typed", 420, 0,
                                        [] { return namePrompt(" Weekly shop "); }});
const GalleryShot::Add footerShot({"components-footer-layout", 420, 0, footers});
const GalleryShot::Add plainShot({"components-plain-text-names", 480, 0, plainTexts});
const GalleryShot::Add columnShot({"components-reading-column-900-wide", 900, 260, readingColumn});

} // namespace
