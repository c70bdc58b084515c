#pragma once

#include "model/ListNavigation.h"
#include "model/SettingsPresentation.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/lists/ListsScreenModel.h"

#include <QTemporaryDir>
#include <QWidget>

#include <functional>
#include <memory>

// A lists page over a store of sample lists, for the gallery: the store lives in a temporary
// folder and goes with the page. `prepare` may change the store and the screen before the page
// is built.
class ListsSample : public QWidget {
public:
    explicit ListsSample(int width, const std::function<void(ListsSample&)>& prepare = nullptr,
                         bool withLists = true);
    ~ListsSample() override;

    ListStore& store() { return *store_; }
    ListsScreenModel& screen() { return *screen_; }
    QWidget* pane() const { return pane_; }
    // The id of the sample list of that name.
    QString idOf(const QString& name) const;

private:
    void fill();

    QTemporaryDir dir_;
    MemoryDefaults defaults_;
    FixedClock clock_;
    std::unique_ptr<ListStore> store_;
    std::unique_ptr<ListsScreenModel> screen_;
    QWidget* pane_ = nullptr;
};
