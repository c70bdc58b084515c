// The sheets the window shows. A sheet that is not registered here has its controls hidden.
#include "ui/window/StandardSheets.h"

#include "platform/BundleInfo.h"
#include "store/ListStore.h"
#include "sync/CloudSync.h"
#include "ui/components/MessageAlert.h"
#include "ui/detail/ArrangeTagsSheet.h"
#include "ui/editor/ListEditorFactory.h"
#include "ui/lists/CollectionEditorSheet.h"
#include "ui/people/CirclesPage.h"
#include "ui/people/CloudSharingSheetView.h"
#include "ui/people/PersonAliasSheet.h"
#include "ui/people/SharingSetupSheet.h"
#include "ui/settings/SettingsSheet.h"
#include "ui/window/WindowSheets.h"

#include <QCoreApplication>
#include <QMessageBox>

void addStandardSheets(WindowSheets& sheets, ListStore& store, WindowNavigation& navigation,
                       VoiceController* voice) {
    sheets.add(WindowSheet::message,
               [](const WindowSheetSubject& subject, QWidget* parent) -> QDialog* {
                   return MessageAlert::make(subject.message, parent);
               });
    sheets.add(WindowSheet::groupEditor,
               [&store](const WindowSheetSubject& subject, QWidget* parent) -> QDialog* {
                   return subject.group ? new CollectionEditorSheet(store, *subject.group, parent)
                                        : nullptr;
               });
    sheets.add(WindowSheet::tagOrder,
               [&store](const WindowSheetSubject& subject, QWidget* parent) -> QDialog* {
                   return subject.list ? ArrangeTagsSheet::forList(store, subject.list->id, parent)
                                       : nullptr;
               });
    sheets.add(WindowSheet::createList, [&store, &navigation](QWidget* parent) {
        return makeListEditorSheet(store, &navigation, std::nullopt, parent);
    });
    sheets.add(WindowSheet::editList, [&store, &navigation](const WindowSheetSubject& subject,
                                                            QWidget* parent) {
        return subject.list ? makeListEditorSheet(store, &navigation, subject.list->id, parent)
                            : nullptr;
    });
    sheets.add(WindowSheet::sharingSetup,
               [&store](const WindowSheetSubject& subject, QWidget* parent) -> QDialog* {
                   return new SharingSetupSheet(store.defaults(), subject.confirmed, parent);
               });
    sheets.add(WindowSheet::person,
               [&store](const WindowSheetSubject& subject, QWidget* parent) -> QDialog* {
                   return subject.person ? new PersonAliasSheet(store, subject.person->id,
                                                                subject.person->storedName, parent)
                                         : nullptr;
               });
    sheets.add(WindowSheet::cloudSharing,
               [&store](const WindowSheetSubject& subject, QWidget* parent) -> QDialog* {
                   if (!subject.share)
                       return nullptr;
                   const CloudSync* cloud =
                       store.findChild<CloudSync*>(QString(), Qt::FindDirectChildrenOnly);
                   std::shared_ptr<cloud::Container> container;
                   if (cloud && cloud->device())
                       container = cloud->device()->container();
                   const QString name =
                       subject.list ? subject.list->name : CloudSharingSheet::missingListName();
                   return new CloudSharingSheetView(
                       {*subject.share, std::move(container), name, subject.shareChanged}, parent);
               });
    sheets.add(WindowSheet::settings, [&store, voice](QWidget* parent) -> QDialog* {
        // The Sharing row pushes the circles page; its back control returns to the settings.
        auto circles = [&store](QWidget* pageParent, std::function<void()> back) -> QWidget* {
            auto* page = new CirclesPage(store, QStringLiteral("Settings"), pageParent);
            QObject::connect(page, &CirclesPage::backRequested, page, std::move(back));
            return page;
        };
        return new SettingsSheet(store, voice, QCoreApplication::arguments(), BundleInfo::main(),
                                 circles, parent);
    });
}
