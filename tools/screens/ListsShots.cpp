// Gallery pictures of the lists page and the group editor.
#include "GalleryShot.h"
#include "KeyboardFocus.h"
#include "ListsSample.h"

#include "ui/components/RowSwipeController.h"
#include "ui/lists/CollectionEditorModel.h"
#include "ui/lists/CollectionEditorSheet.h"
#include "ui/lists/LabelButton.h"
#include "ui/lists/ListsHeading.h"
#include "ui/lists/ListsPane.h"
#include "ui/lists/PageListView.h"
#include "ui/theme/PlatformChrome.h"

#include "ui/components/SingleLineField.h"
#include <QCoreApplication>
#include <QWheelEvent>

namespace {

// A page of lists with the first list open.
QWidget* pane(int width, const std::function<void(ListsSample&)>& prepare = nullptr) {
    return new ListsSample(width, [prepare](ListsSample& sample) {
        sample.screen().openList(sample.idOf("Weekend in Lisbon"));
        if (prepare)
            prepare(sample);
    });
}

const GalleryShot::Add panePicture{{"lists-pane", 340, 760, [] { return pane(340); }}};

// The keyboard on the summary line: its ring stands around the text, clear of it.
const GalleryShot::Add summaryFocusPicture{
    {"lists-summary-keyboard", 340, 300, [] { return pane(340); },
     [](QWidget* shown) {
         auto* pane = static_cast<ListsSample*>(shown)->pane()->findChild<ListsHeading*>();
         KeyboardFocus::give(pane->summaryButton());
     }}};

const GalleryShot::Add editPicture{
    {"lists-edit-mode", 340, 760,
     [] { return pane(340, [](ListsSample& sample) { sample.screen().toggleEditing(); }); }}};

const GalleryShot::Add collapsedPicture{{"lists-collapsed-group", 340, 640, [] {
                                             return pane(340, [](ListsSample& sample) {
                                                 sample.store().setCollectionCollapsed(
                                                     QStringLiteral("Home"), true);
                                             });
                                         }}};

// The sidebar at its usual width in edit mode: counts and due words stay whole beside the
// drag stripes and remove buttons.
const GalleryShot::Add editSidebarPicture{
    {"lists-edit-mode-sidebar", PlatformChrome::sidebarIdealWidth, 760, [] {
         return pane(PlatformChrome::sidebarIdealWidth,
                     [](ListsSample& sample) { sample.screen().toggleEditing(); });
     }}};

// A long name wraps onto as many lines as it takes; the row grows with it.
const GalleryShot::Add longNamePicture{
    {"lists-long-name", PlatformChrome::sidebarIdealWidth, 640, [] {
         return pane(PlatformChrome::sidebarIdealWidth, [](ListsSample& sample) {
             TBList list = *sample.store().findList(sample.idOf("Groceries"));
             list.name = QStringLiteral("Groceries for the street party on Saturday, with the "
                                        "neighbours from number twelve");
             sample.store().updateList(list);
         });
     }}};

// A page too narrow for the whole pill (a narrow one-stack window): it shows only its icon.
const GalleryShot::Add narrowPicture{
    {"lists-narrow-icon-pill", 220, 560, [] { return pane(220); }}};

const GalleryShot::Add emptyPicture{
    {"lists-empty", 340, 640, [] { return new ListsSample(340, nullptr, false); }}};

// A row swiped open to its trailing button, and a group header to its Ungroup button.
const GalleryShot::Add swipePicture{
    {"lists-swiped-rows", 340, 520, [] {
         auto* sample = new ListsSample(340);
         auto* view = static_cast<ListsPane*>(sample->pane())->rowsView();
         sample->resize(340, 520);
         sample->show();
         QCoreApplication::processEvents();
         const QRect row = view->visualRect(view->model()->index(1, 0));
         QWheelEvent swipe(row.center(), view->viewport()->mapToGlobal(row.center()),
                           QPoint(-90, 0), QPoint(-90 * 3, 0), Qt::NoButton, Qt::NoModifier,
                           Qt::ScrollUpdate, false);
         QCoreApplication::sendEvent(view->viewport(), &swipe);
         QWheelEvent end(row.center(), view->viewport()->mapToGlobal(row.center()), QPoint(),
                         QPoint(), Qt::NoButton, Qt::NoModifier, Qt::ScrollEnd, false);
         QCoreApplication::sendEvent(view->viewport(), &end);
         sample->hide();
         return sample;
     }}};

// The group editor over the sample lists, editing "Home".
class EditorSample : public QWidget {
public:
    EditorSample() : lists_(340) {
        sheet_ =
            new CollectionEditorSheet(lists_.store(), CollectionEditorMode::edit("Home"), this);
        sheet_->setWindowFlags(Qt::Widget);
        sheet_->setWindowModality(Qt::NonModal);
        sheet_->model().setName(QStringLiteral("Home and garden"));
        sheet_->nameField()->setText(sheet_->model().name());
    }
    ~EditorSample() override { delete sheet_; }

protected:
    void resizeEvent(QResizeEvent*) override { sheet_->setGeometry(rect()); }

private:
    ListsSample lists_;
    CollectionEditorSheet* sheet_;
};

const GalleryShot::Add editorPicture{
    {"lists-group-editor", 460, 640, [] { return new EditorSample; }}};

} // namespace
