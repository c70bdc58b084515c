#pragma once

#include "ui/components/SheetDialog.h"
#include "ui/sound/SoundEffect.h"

#include <QStringList>
#include <functional>

class ListStore;
class QStackedLayout;
class SettingsModel;
class SettingsRootPage;
class VoiceController;
struct BundleInfo;

// The settings sheet: its first page, and one page pushed over it at a time (a sound picker,
// the circles), which replaces the whole first page, header bar included, until Back. Done and
// Escape close the sheet. Every setting was stored as it changed; closing saves nothing.
class SettingsSheet : public SheetDialog {
    Q_OBJECT
public:
    // Makes the circles page for the Sharing row; its back control calls `back`. Without one
    // the row only shows the count.
    using CirclesPageFactory = std::function<QWidget*(QWidget* parent, std::function<void()> back)>;

    SettingsSheet(ListStore& store, VoiceController* voice, const QStringList& launchArguments,
                  const BundleInfo& bundle, CirclesPageFactory circles, QWidget* parent);
    ~SettingsSheet() override;

    SettingsModel& model() const { return *model_; }
    SettingsRootPage* rootPage() const { return root_; }
    // The page pushed over the first one, if any.
    QWidget* pushedPage() const { return pushed_; }

    void pushSoundPicker(SoundEffect effect);
    void pushCircles();
    void back();

private:
    void push(QWidget* page);

    ListStore& store_;
    SettingsModel* model_;
    CirclesPageFactory circles_;
    QStackedLayout* pages_;
    SettingsRootPage* root_;
    QWidget* pushed_ = nullptr;
};
