// The settings sheet and its pushed pages.
#include "SettingsSheet.h"

#include "SettingsModel.h"
#include "SettingsRootPage.h"
#include "SoundPickerPage.h"
#include "store/ListStore.h"
#include "ui/components/SettingsHeaderBar.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QStackedLayout>

namespace {
constexpr QSize preferredSize(600, 720);
} // namespace

SettingsSheet::SettingsSheet(ListStore& store, VoiceController* voice,
                             const QStringList& launchArguments, const BundleInfo& bundle,
                             CirclesPageFactory circles, QWidget* parent)
    : SheetDialog(parent), store_(store),
      model_(new SettingsModel(store, voice, launchArguments, bundle, this)),
      circles_(std::move(circles)), pages_(new QStackedLayout(this)) {
    setWindowTitle(tr("Settings"));
    model_->setClipboardWriter([](const QString& text) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(text);
    });
    root_ = new SettingsRootPage(*model_, bool(circles_), this);
    connect(root_, &SettingsRootPage::doneRequested, this, &QDialog::accept);
    connect(root_, &SettingsRootPage::soundPickerRequested, this, &SettingsSheet::pushSoundPicker);
    connect(root_, &SettingsRootPage::circlesRequested, this, &SettingsSheet::pushCircles);
    pages_->addWidget(root_);
    resize(preferredSize);
    setMinimumSize(420, 480);
}

SettingsSheet::~SettingsSheet() = default;

void SettingsSheet::pushSoundPicker(SoundEffect effect) {
    auto* page = new SoundPickerPage(effect, store_.defaults(), this);
    connect(page, &SoundPickerPage::backRequested, this, &SettingsSheet::back);
    push(page);
}

void SettingsSheet::pushCircles() {
    if (!circles_)
        return;
    QWidget* page = circles_(this, [this] { back(); });
    if (!page)
        return;
    push(page);
}

void SettingsSheet::push(QWidget* page) {
    back();
    pushed_ = page;
    pages_->addWidget(page);
    pages_->setCurrentWidget(page);
}

void SettingsSheet::back() {
    if (!pushed_)
        return;
    pages_->removeWidget(pushed_);
    pushed_->deleteLater();
    pushed_ = nullptr;
    pages_->setCurrentWidget(root_);
}
