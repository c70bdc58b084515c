// The list editor sheet's widgets.
#include "ListEditorSheet.h"

#include "DueDatePicker.h"
#include "KindRowButton.h"
#include "ListEditorHeading.h"
#include "ListEditorModel.h"
#include "MenuField.h"
#include "PaletteCell.h"
#include "SwitchRow.h"
#include "TagOfferView.h"

#include "ui/components/FocusOrder.h"
#include "ui/components/MenuPopup.h"
#include "ui/components/MessageAlert.h"
#include "ui/components/NamePromptSheet.h"
#include "ui/components/SectionCard.h"
#include "ui/components/SingleLineField.h"
#include "ui/components/TextLabel.h"
#include "ui/lists/LabelButton.h"
#include "ui/lists/SheetTopBar.h"
#include "ui/theme/DesignFont.h"
#include "ui/theme/Symbols.h"
#include "ui/theme/ThemeColour.h"

#include <QGridLayout>
#include <QMenu>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

using namespace Theme;

constexpr int cardPadding = 18;

QWidget* column(int spacing, const QList<QWidget*>& children) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    for (QWidget* child : children)
        layout->addWidget(child);
    return box;
}

QWidget* titled(const QString& title, QWidget* content, int padding = cardPadding) {
    return SectionCard::titled(ListEditorModel::sectionTitle(title),
                               new SectionCard(content, padding));
}

TextLabel* explanation(const QString& text) {
    auto* label = new TextLabel(text, DesignFont::system(15), Colour::onSurfaceVariant);
    label->setWordWrap(true);
    return label;
}

// A grid of equal columns, each cell centred in its column.
QWidget* grid(const QList<PaletteCell*>& cells, int columns) {
    auto* box = new QWidget;
    auto* layout = new QGridLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(8);
    for (int c = 0; c < columns; ++c) {
        layout->setColumnStretch(c, 1);
        layout->setColumnMinimumWidth(c, 10);
    }
    for (int i = 0; i < cells.size(); ++i)
        layout->addWidget(cells[i], i / columns, i % columns, Qt::AlignCenter);
    return box;
}

// The scrolling page. Its height follows its width, where wrapped texts take fewer lines; the
// minimum Qt works out for the narrowest width would leave empty space below the last section.
class Page : public QWidget {
public:
    QSize minimumSizeHint() const override { return {QWidget::minimumSizeHint().width(), 0}; }
};

} // namespace

ListEditorSheet::ListEditorSheet(ListStore& store, const ListEditorMode& mode, QWidget* parent)
    : SheetDialog(parent), model_(new ListEditorModel(store, mode, this)) {
    setObjectName(QStringLiteral("listEditor"));
    setWindowTitle(model_->title());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* bar = new SheetTopBar({model_->title(), ListEditorModel::cancelTitle(),
                                 model_->confirmTitle(), model_->confirmAccessibilityLabel()});
    cancel_ = bar->cancelButton();
    confirm_ = bar->confirmButton();
    layout->addWidget(bar);
    scroll_ = new QScrollArea;
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
    scroll_->viewport()->setAutoFillBackground(false);
    QWidget* content = buildContent();
    content->setAutoFillBackground(false);
    scroll_->setWidget(content);
    // Tab goes to the controls and the page follows it; the area itself would be a stop with no
    // name that shows nothing.
    scroll_->setFocusPolicy(Qt::NoFocus);
    FocusOrder::keepInSight(scroll_);
    layout->addWidget(scroll_, 1);

    // No button is the default: Return in the name field saves nothing.
    connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);
    connect(confirm_, &QAbstractButton::clicked, this, &ListEditorSheet::save);
    connect(model_, &ListEditorModel::changed, this, &ListEditorSheet::sync);
    connect(model_, &ListEditorModel::listGone, this, &QDialog::reject);
    connect(model_, &ListEditorModel::listTurnedViewOnly, this, &ListEditorSheet::tellViewOnly);
    resize(480, 760);
    sync();
}

ListEditorSheet::~ListEditorSheet() = default;

QWidget* ListEditorSheet::buildContent() {
    auto* content = new Page;
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(16, 16, 16, 16);
    stack->setSpacing(24);

    heading_ = new ListEditorHeading(*model_);
    stack->addWidget(heading_);

    name_ = new SingleLineField;
    name_->setRoundedBorder(true);
    name_->setPlaceholderText(ListEditorModel::namePlaceholder());
    name_->setFont(DesignFont::system(17));
    name_->setText(model_->name());
    name_->setAccessibleName(QStringLiteral("Name"));
    connect(name_, &QLineEdit::textEdited, model_, &ListEditorModel::setName);
    stack->addWidget(titled(QStringLiteral("Name"), name_));

    stack->addWidget(kindSection());
    stack->addWidget(dueSection_ = dueSection());
    stack->addWidget(retentionSection_ = retentionSection());
    stack->addWidget(iconSection());
    tagOffer_ = new TagOfferView(*model_);
    connect(tagOffer_, &TagOfferView::newTagRequested, this, [this] {
        showPrompt(ListEditorModel::newTagPrompt(), &ListEditorModel::confirmNewTag);
    });
    stack->addWidget(tagSection_ = titled(QStringLiteral("Tags"), tagOffer_));
    stack->addWidget(colourSection());
    stack->addWidget(groupSection());
    stack->addStretch(1);
    return content;
}

QWidget* ListEditorSheet::kindSection() {
    QList<QWidget*> rows;
    for (const ListEditorModel::KindRow& row : model_->kindRows()) {
        auto* button = new KindRowButton(row.name, row.explanation);
        const TBListKind kind = row.kind;
        connect(button, &QAbstractButton::clicked, model_, [this, kind] { model_->setKind(kind); });
        kindRows_.append(button);
        rows.append(button);
    }
    // The rows bring their own padding.
    return titled(QStringLiteral("Kind"), column(0, rows), 0);
}

QWidget* ListEditorSheet::dueSection() {
    dueSwitch_ = new SwitchRow(ListEditorModel::dueSwitchTitle());
    connect(dueSwitch_, &QAbstractButton::clicked, model_,
            [this](bool on) { model_->setHasDueDate(on); });
    duePicker_ = new DueDatePicker(ListEditorModel::duePickerAccessibilityLabel());
    connect(duePicker_, &DueDatePicker::edited, model_, &ListEditorModel::setDueDate);
    return titled(QStringLiteral("Due"), column(8, {dueSwitch_, duePicker_}));
}

QWidget* ListEditorSheet::retentionSection() {
    retentionMenu_ = new MenuField;
    retentionMenu_->setObjectName(QStringLiteral("retentionMenu"));
    connect(retentionMenu_, &QAbstractButton::clicked, this, &ListEditorSheet::showRetentionMenu);
    return titled(
        QStringLiteral("Keep completed items"),
        column(8, {retentionMenu_, explanation(ListEditorModel::retentionExplanation())}));
}

QWidget* ListEditorSheet::iconSection() {
    QList<QWidget*> groups;
    for (const ListEditorModel::IconGroup& group : model_->iconGroups()) {
        QList<PaletteCell*> cells;
        for (const ListEditorModel::IconCell& cell : group.cells) {
            auto* button = PaletteCell::icon(cell.symbol, cell.accessibilityLabel);
            const QString symbol = cell.symbol;
            connect(button, &QAbstractButton::clicked, model_,
                    [this, symbol] { model_->setIcon(symbol); });
            cells.append(button);
        }
        iconCells_.append(cells);
        auto* name =
            new TextLabel(group.title, DesignFont::smallHeading(), Colour::onSurfaceVariant);
        groups.append(column(8, {name, grid(cells, 6)}));
    }
    return titled(QStringLiteral("Icon"), column(16, groups));
}

QWidget* ListEditorSheet::colourSection() {
    for (const ListEditorModel::ColourCell& cell : model_->colourCells()) {
        auto* button = PaletteCell::colour(cell.colour);
        const QString id = cell.colour.id;
        connect(button, &QAbstractButton::clicked, model_, [this, id] { model_->setColourID(id); });
        colourCells_.append(button);
    }
    return titled(QStringLiteral("Colour"), grid(colourCells_, 8));
}

QWidget* ListEditorSheet::groupSection() {
    groupMenu_ = new MenuField;
    groupMenu_->setObjectName(QStringLiteral("groupMenu"));
    connect(groupMenu_, &QAbstractButton::clicked, this, &ListEditorSheet::showGroupMenu);
    return titled(QStringLiteral("Group"),
                  column(8, {groupMenu_, explanation(ListEditorModel::groupExplanation())}));
}

void ListEditorSheet::showRetentionMenu() {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const QList<ListEditorModel::MenuEntry> entries = model_->retentionEntries();
    QAction* chosen = nullptr;
    for (int i = 0; i < entries.size(); ++i) {
        const CompletedRetention retention = CompletedRetention::allCases().at(i);
        QAction* action = menu->addAction(entries[i].title, model_,
                                          [this, retention] { model_->setRetention(retention); });
        if (entries[i].checked) {
            action->setIcon(
                QIcon(Symbols::pixmap(QStringLiteral("checkmark"), 15, Colour::onSurface.resolved(),
                                      devicePixelRatioF())));
            chosen = action;
        }
    }
    // Opens on the choice made, as the field shows it.
    MenuPopup::open(menu, retentionMenu_->mapToGlobal(QPoint(0, retentionMenu_->height())), chosen);
}

void ListEditorSheet::showGroupMenu() {
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // Group names are people's text: "&" in them is no mnemonic.
    const auto escaped = [](QString text) { return text.replace(QLatin1Char('&'), "&&"); };
    QAction* chosen = menu->addAction(ListEditorModel::noGroupTitle(), model_,
                                      [this] { model_->setCollection(std::nullopt); });
    for (const QString& name : model_->groupNames()) {
        QAction* action =
            menu->addAction(escaped(name), model_, [this, name] { model_->setCollection(name); });
        if (model_->collection() == name)
            chosen = action;
    }
    menu->addSeparator();
    menu->addAction(ListEditorModel::newGroupTitle(), this, [this] {
        showPrompt(ListEditorModel::newGroupPrompt(), &ListEditorModel::confirmNewGroup);
    });
    // Opens on the group the field shows.
    MenuPopup::open(menu, groupMenu_->mapToGlobal(QPoint(0, groupMenu_->height())), chosen);
}

void ListEditorSheet::showPrompt(const NamePromptModel& prompt,
                                 void (ListEditorModel::*confirm)(const QString&)) {
    if (prompt_)
        return;
    prompt_ = new NamePromptSheet(prompt, this);
    prompt_->setAttribute(Qt::WA_DeleteOnClose);
    // Only the model answers the prompt: the slot keeps nothing of the sheet.
    connect(prompt_, &NamePromptSheet::confirmed, model_,
            [model = model_, confirm](const QString& typed) { (model->*confirm)(typed); });
    connect(prompt_, &QObject::destroyed, this, [this] { prompt_ = nullptr; });
    prompt_->present();
}

void ListEditorSheet::save() {
    switch (model_->save()) {
    case ListEditorModel::SaveResult::refused:
        return;
    case ListEditorModel::SaveResult::gone:
        reject();
        return;
    case ListEditorModel::SaveResult::viewOnly:
        tellViewOnly();
        return;
    case ListEditorModel::SaveResult::saved:
        if (model_->createdListID())
            emit listCreated(*model_->createdListID());
        accept();
        return;
    }
}

void ListEditorSheet::tellViewOnly() {
    if (viewOnlyAlert_)
        return;
    // A name prompt over the sheet goes first: its answer could not be saved either.
    if (prompt_)
        prompt_->reject();
    confirm_->setEnabled(false);
    viewOnlyAlert_ = MessageAlert::make(model_->viewOnlyMessage(), this);
    viewOnlyAlert_->setAttribute(Qt::WA_DeleteOnClose);
    connect(viewOnlyAlert_, &QDialog::finished, this, [this] {
        viewOnlyAlert_ = nullptr;
        reject();
    });
    viewOnlyAlert_->open();
}

void ListEditorSheet::sync() {
    confirm_->setEnabled(model_->canConfirm() && !viewOnlyAlert_);
    heading_->sync();
    for (int i = 0; i < kindRows_.size(); ++i) {
        const ListEditorModel::KindRow row = model_->kindRows().at(i);
        kindRows_[i]->setChosen(row.selected);
        // Checked as well as selected when chosen: the checked state's change is what reaches
        // a screen reader.
        AccessibleSpec spec{row.accessibilityLabel, {}, {}, AccessibleTrait::toggle, {}};
        if (row.selected)
            spec.traits |= AccessibleTrait::selected;
        kindRows_[i]->setAccessible(spec);
    }
    dueSection_->setVisible(model_->showsDueSection());
    dueSwitch_->setChecked(model_->hasDueDate());
    duePicker_->setVisible(model_->hasDueDate());
    duePicker_->setDate(model_->dueDate());
    retentionSection_->setVisible(model_->showsRetentionSection());
    retentionMenu_->setValue(model_->retentionValue(), model_->retentionAccessibilityLabel());
    const ListColour& tint = model_->iconColour();
    for (PaletteCell* cell : iconCells_)
        cell->setChosen(cell->value() == model_->icon(), tint);
    for (PaletteCell* cell : colourCells_)
        cell->setChosen(cell->value() == model_->colourID(), tint);
    tagSection_->setVisible(model_->showsTagSection());
    tagOffer_->sync();
    groupMenu_->setValue(model_->groupValue(), model_->groupAccessibilityLabel());
}

void ListEditorSheet::showEvent(QShowEvent* event) {
    SheetDialog::showEvent(event);
    // Qt would hand the focus to the first button of the bar, where Space cancels; the name is
    // the first field, as a new list's user expects to type it straight away.
    if (!focusWidget() || focusWidget() == cancel_ || focusWidget() == confirm_)
        name_->setFocus(Qt::OtherFocusReason);
}
