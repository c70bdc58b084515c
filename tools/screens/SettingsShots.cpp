// Gallery pictures of the settings sheet: its top, the keyboard's first place as it opens, the
// whole sheet with every explanation open
// and the voice settings shown, the About section open, and a sound picker.
#include "GalleryShot.h"
#include "KeyboardFocus.h"

#include "lexicon/VoiceController.h"
#include "platform/Clock.h"
#include "platform/Defaults.h"
#include "store/ListStore.h"
#include "ui/settings/SettingsModel.h"
#include "ui/settings/SettingsSheet.h"

#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

namespace {

// Sample settings: a name, two circles, an identity that differs between the two engines. It
// lives as long as the sheet that shows it.
class SampleSettings : public QObject {
public:
    SampleSettings()
        : clock(Date::fromUnixSeconds(1'796'000'000)),
          store(dir.filePath("store.json"), false, false, defaults, clock) {
        defaults.setString(QStringLiteral("notes.authorName"), QStringLiteral("Ann Lee"));
        defaults.setString(QStringLiteral("soundChoice.itemAdded"), QStringLiteral("chime"));
        defaults.setString(SettingsModel::diagnosisKey,
                           QStringLiteral("Notes are signed with the name typed here."));
        store.addCircle(QStringLiteral("Family"));
        store.addCircle(QStringLiteral("Climbing club"));
        store.signedIn(QStringLiteral("_3f9a0c"), EngineScope::privateDatabase);
        store.signedIn(QStringLiteral("_b71e22"), EngineScope::sharedDatabase);
    }

    SettingsSheet* sheet(const QStringList& arguments) {
        auto* sheet = new SettingsSheet(
            store, &voice, arguments, {"0.9.0", "112", "4be21c7"},
            [](QWidget* parent, std::function<void()>) { return new QWidget(parent); }, nullptr);
        setParent(sheet);
        return sheet;
    }

    QTemporaryDir dir;
    FixedClock clock;
    MemoryDefaults defaults;
    ListStore store;
    VoiceController voice;
};

const GalleryShot::Add top{
    {"settings-top", 600, 820, [] { return (new SampleSettings)->sheet({"tallybird"}); }}};

// The sheet as it opens from the keyboard: the window hands its first control (Done) the focus.
const GalleryShot::Add opened{{"settings-opened-focus", 600, 400,
                               [] { return (new SampleSettings)->sheet({"tallybird"}); },
                               KeyboardFocus::opened}};

// The keyboard in "Your name", a field flush with its row: its ring goes whole around it.
const GalleryShot::Add nameFocus{
    {"settings-name-keyboard", 600, 400, [] { return (new SampleSettings)->sheet({"tallybird"}); },
     [](QWidget* shown) { KeyboardFocus::give(shown->findChild<QLineEdit*>()); }}};

const GalleryShot::Add whole{
    {"settings-whole", 600, 2000, [] {
         SettingsSheet* sheet =
             (new SampleSettings)->sheet({"tallybird", SettingsModel::voiceArgument});
         for (SettingsExplanation each :
              {SettingsExplanation::name, SettingsExplanation::sync, SettingsExplanation::sounds,
               SettingsExplanation::microphone, SettingsExplanation::technicalDetails})
             sheet->model().toggle(each);
         sheet->model().copyVoiceLog();
         return sheet;
     }}};

// The About section with its technical details open, at the foot of the sheet.
const GalleryShot::Add about{{"settings-about", 600, 820, [] {
                                  SettingsSheet* sheet = (new SampleSettings)->sheet({"tallybird"});
                                  sheet->model().toggle(SettingsExplanation::technicalDetails);
                                  QScrollBar* bar =
                                      sheet->findChild<QScrollArea*>()->verticalScrollBar();
                                  QObject::connect(bar, &QScrollBar::rangeChanged, bar,
                                                   [bar](int, int end) { bar->setValue(end); });
                                  return sheet;
                              }}};

const GalleryShot::Add picker{{"settings-sound-picker", 600, 760, [] {
                                   SettingsSheet* sheet =
                                       (new SampleSettings)->sheet({"tallybird"});
                                   sheet->pushSoundPicker(SoundEffect::itemAdded);
                                   return sheet;
                               }}};

} // namespace
