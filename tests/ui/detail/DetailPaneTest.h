// A list's pane shown offscreen over a test store, with recorded sounds and fresh settings, and
// helpers to find and click its rows.
#pragma once

#include "DetailTestStore.h"
#include "support/ManualMonotonicClock.h"
#include "support/RecordingSoundOutput.h"
#include "ui/detail/DetailItemsView.h"
#include "ui/detail/DetailRowModel.h"
#include "ui/detail/ListDetailModel.h"
#include "ui/detail/ListDetailView.h"
#include "ui/sound/SoundEffectPlayer.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

class DetailPaneTest : public ::testing::Test {
protected:
    DetailPaneTest() {
        Defaults::setStandard(settings);
        SoundEffectPlayer::setShared(std::make_unique<SoundEffectPlayer>(monotonic, sound));
    }
    ~DetailPaneTest() override {
        SoundEffectPlayer::setShared(nullptr);
        Defaults::setStandard(nullptr);
    }

    // Shows the list in a pane and returns the pane.
    ListDetailView& open(const TBList& list) {
        model.show(list.id);
        view = std::make_unique<ListDetailView>(model);
        view->resize(600, 800);
        view->show();
        QCoreApplication::processEvents();
        view->items().doItemsLayout();
        return *view;
    }
    int rowOf(const QString& itemID) const {
        const DetailRowModel& rows = view->items().rows();
        for (int i = 0; i < rows.rowCount(); ++i)
            if (rows.row(i).kind == DetailRow::Kind::item && rows.row(i).item.id == itemID)
                return i;
        return -1;
    }
    QRect rowRect(const QString& itemID) const {
        return view->items().visualRect(view->items().rows().index(rowOf(itemID)));
    }
    void click(const QPoint& at) {
        QTest::mouseClick(view->items().viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }
    // Presses at `from`, moves to `to` in four steps with the button held, releases there.
    static void drag(QWidget* viewport, const QPoint& from, const QPoint& to) {
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 4; ++step) {
            const QPoint at = from + (to - from) * step / 4;
            QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, {});
            QCoreApplication::sendEvent(viewport, &move);
        }
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
    }
    TBItem stored(const QString& itemID) {
        for (const TBItem& item : t.store->allItems())
            if (item.id == itemID)
                return item;
        return {};
    }

    std::shared_ptr<MemoryDefaults> settings = std::make_shared<MemoryDefaults>();
    std::shared_ptr<RecordingSoundOutput> sound = std::make_shared<RecordingSoundOutput>();
    std::shared_ptr<ManualMonotonicClock> monotonic = std::make_shared<ManualMonotonicClock>();
    DetailTestStore t;
    ListDetailModel model{*t.store, t.clock};
    std::unique_ptr<ListDetailView> view;
};
