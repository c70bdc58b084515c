// The list pane as the window builds it.
#include "ListDetailPaneFactory.h"

#include "CloudShareLookup.h"
#include "ListDetailModel.h"
#include "ListDetailView.h"
#include "ui/lists/RelativeDueText.h"

#include <memory>

ListDetailView* makeListDetailPane(ListStore& store, CloudSync* cloud, QWidget* parent,
                                   const Clock& clock, const QByteArray& locale) {
    auto* screen = new ListDetailModel(store, clock);
    const auto words = std::make_shared<RelativeDueText>(locale);
    screen->setRelativeWords([words](Date due, Date now) { return words->text(due, now); });
    if (cloud) {
        screen->setShareLookup(CloudShareLookup::lookup(*cloud));
        screen->setSharePreparer(CloudShareLookup::preparer(*cloud));
    } else {
        screen->setShareLookup(
            [](const QString&, std::function<void(ListDetailModel::ShareAnswer)> reply) {
                reply({std::nullopt, true});
            });
    }
    auto* pane = new ListDetailView(*screen, parent);
    screen->setParent(pane);
    return pane;
}
