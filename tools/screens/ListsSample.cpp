// Sample lists for the gallery's pictures of the lists page.
#include "ListsSample.h"

#include "ui/lists/ListsPane.h"

#include <QCoreApplication>
#include <QVBoxLayout>

namespace {
// Monday 10 March 2025, 11:00 UTC.
constexpr double sampleNow = 763297200;
} // namespace

ListsSample::ListsSample(int width, const std::function<void(ListsSample&)>& prepare,
                         bool withLists)
    : clock_(Date(sampleNow)) {
    store_ =
        std::make_unique<ListStore>(dir_.filePath("store.json"), false, false, defaults_, clock_);
    if (withLists)
        fill();
    screen_ = std::make_unique<ListsScreenModel>(
        *store_, defaults_, clock_, ListNavigation::shared(), SettingsPresentation::shared(),
        nullptr, "en_US", QTimeZone::utc());
    if (prepare)
        prepare(*this);
    screen_->refreshNow();
    auto* pane = new ListsPane(*screen_, *store_, this);
    // The page as it looks once the window has every sheet: the gear and the add buttons show.
    for (auto sheet : {ListsScreenModel::Sheet::settings, ListsScreenModel::Sheet::createList,
                       ListsScreenModel::Sheet::editList})
        pane->setPresenter(sheet, [](QWidget*) -> QDialog* { return nullptr; });
    pane_ = pane;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pane);
    resize(width, 760);
}

ListsSample::~ListsSample() {
    // The page refers to the screen model and the store: it goes first.
    delete pane_;
}

QString ListsSample::idOf(const QString& name) const {
    for (const TBList& list : store_->lists()) {
        if (list.name == name)
            return list.id;
    }
    return {};
}

void ListsSample::fill() {
    const Date now = clock_.now();
    const auto make = [&](const QString& name, const QString& icon, const QString& colour, int open,
                          int done, const std::function<void(TBList&)>& edit) {
        TBList list = store_->addList(name);
        // Items first: a list shared read-only takes none once it is one.
        for (int i = 0; i < open + done; ++i) {
            const std::optional<TBItem> item =
                store_->addItem(list.id, QStringLiteral("Item %1").arg(i));
            if (item && i >= open)
                store_->setDone(item->id, true);
        }
        list.icon = icon;
        list.colourID = colour;
        list.createdAt = now.addingSeconds(-6 * 86400);
        if (edit)
            edit(list);
        store_->updateList(list);
        return list.id;
    };
    make("Groceries", "cart", "green", 4, 3, [&](TBList& l) {
        l.pinned = true;
        l.dueDate = now.addingSeconds(30 * 3600);
    });
    make("Weekend in Lisbon", "airplane", "teal", 6, 9, [&](TBList& l) {
        l.dueDate = now.addingSeconds(3 * 86400 + 3600);
        l.hasShare = true;
    });
    const QString chores =
        make("Chores", "house", "orange", 3, 5, [](TBList& l) { l.kind = TBListKind::ongoing; });
    const QString garden = make("Garden", "leaf", "green", 2, 0, nullptr);
    const QString hardware = make("Hardware shop", "hammer", "slate", 5, 1,
                                  [&](TBList& l) { l.dueDate = now.addingSeconds(-3600); });
    make("Birthday party", "birthday.cake", "pink", 8, 2,
         [&](TBList& l) { l.dueDate = now.addingSeconds(5 * 3600); });
    const QString reading = make("Reading list", "book", "purple", 12, 4, [](TBList& l) {
        l.kind = TBListKind::ongoing;
        l.zoneOwnerName = QStringLiteral("_sam");
        l.sharePermission = TBSharePermission::readOnly;
    });
    const QString office =
        make("Office <b>supplies</b> & snacks", "briefcase", "blue", 0, 0, nullptr);
    const QString gifts = make("Gift ideas", "gift", "red", 3, 0, nullptr);
    store_->setCollection(QStringLiteral("Home"), chores);
    store_->setCollection(QStringLiteral("Home"), garden);
    store_->setCollection(QStringLiteral("Home"), hardware);
    store_->setCollection(QStringLiteral("Work & study"), reading);
    store_->setCollection(QStringLiteral("Work & study"), office);
    (void)gifts;
}
