#pragma once

#include <QString>

// Every text the program shows or speaks that names something of the desktop it runs on: the
// computer, the cloud container it syncs through and how people are invited to it, the command
// line and its spoken phrases, the pointer, and the screen reader's hints. The screens take
// these texts from here and nowhere else, so that moving the program to another platform is an
// edit of this one table. Only what is shown or spoken depends on it: no stored key, record
// name or file format does.
namespace PlatformWording {

// --- Words the texts below share ---

// The cloud the program syncs through, as the README names it; a container file or a server.
QString cloud();      // "the cloud container"
QString inviteTool(); // "tallybird-cloud": the one way to share a list with someone here

// --- Screen reader hints ---

// What activating a control does, as this desktop's screen reader offers it: its action is
// "Press" (Orca's default action on AT-SPI).
enum class Hint { open, show, hide, remove, changeSummary };
QString hint(Hint hint); // "Press to open", …
// A proposed tag chip: why it is on, and how to take it off.
QString suggestedTagHint();

// --- Sentences ---

// Sharing, which cannot invite anyone from this program.
QString inviteElsewhere();                                  // an error's description
QString sharingUnavailableTitle();                          // the sharing sheet's first line
QString sharingUnavailableMessage(const QString& listName); // its second line
QString invitationNeedsHandle(); // a circle member's handle that is neither email nor number

// The cloud container in the settings and the About box.
QString syncSwitch();
QString syncExplanation();
QString accountNote();
QString privacyNote();
QString identityUnknown();
QString identityLabel(const QString& report);

// Where the name beside the user's notes on a shared list came from.
QString authorNameFromShare();
QString authorNameFromOwnList();
QString authorNameTyped();
QString authorNameMissing();

// Sounds, the microphone and the tags, as a pointer and this computer have them.
QString soundSettingsNote();
QString clickToTalk();
QString clickToTalkDescription();
QString listenOnOpenDescription();
QString microphoneExplanation();
QString tagChipsExplanation();

} // namespace PlatformWording
