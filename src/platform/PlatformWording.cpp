// The texts that name the platform, in one table.
#include "PlatformWording.h"

namespace PlatformWording {

QString cloud() {
    return QStringLiteral("the cloud container");
}

QString inviteTool() {
    return QStringLiteral("tallybird-cloud");
}

QString hint(Hint hint) {
    switch (hint) {
    case Hint::open:
        return QStringLiteral("Press to open");
    case Hint::show:
        return QStringLiteral("Press to show");
    case Hint::hide:
        return QStringLiteral("Press to hide");
    case Hint::remove:
        return QStringLiteral("Press to remove");
    case Hint::changeSummary:
        break;
    }
    return QStringLiteral("Press to change what this line counts");
}

QString suggestedTagHint() {
    return QStringLiteral("Applied when you add the item. ") + hint(Hint::remove) +
           QLatin1Char('.');
}

QString inviteElsewhere() {
    return QStringLiteral("Invite people with ") + inviteTool() + QStringLiteral(" for now.");
}

QString sharingUnavailableTitle() {
    return QStringLiteral("Sharing is not available on this computer yet");
}

QString sharingUnavailableMessage(const QString& listName) {
    return inviteElsewhere() + QLatin1Char(' ') + listName +
           QStringLiteral(" will keep syncing here.");
}

QString invitationNeedsHandle() {
    return QStringLiteral("That does not look like an email address or a mobile number. The cloud "
                          "container needs one of those to send an invitation.");
}

QString syncSwitch() {
    return QStringLiteral("Sync with ") + cloud();
}

QString syncExplanation() {
    return QStringLiteral(
        "Switch this off on a device where you would rather not keep your lists — a work "
        "computer signed into your cloud container, say. Your lists stay on this device, and "
        "nothing is removed from the cloud container or from your other devices. Anything you "
        "add while it is off is uploaded if you switch it back on.");
}

QString accountNote() {
    return QStringLiteral("No account needed — your lists sync through your own cloud container.");
}

QString privacyNote() {
    return QStringLiteral(
        "Your lists live in your own cloud container. They are never sent to us.");
}

QString identityUnknown() {
    return QStringLiteral("The cloud container has not identified this device yet.");
}

QString identityLabel(const QString& report) {
    return QStringLiteral("Cloud identity: ") + report;
}

QString authorNameFromShare() {
    return QStringLiteral("The cloud container provided your name.");
}

QString authorNameFromOwnList() {
    return QStringLiteral("The cloud container provided your name from the list you own.");
}

QString authorNameTyped() {
    return QStringLiteral(
        "The cloud container did not provide a name, so the one typed here is used.");
}

QString authorNameMissing() {
    return QStringLiteral(
        "The cloud container did not provide a name, and none has been typed here.");
}

QString soundSettingsNote() {
    return QStringLiteral(
        "Click any of them to hear it. This computer's own sound settings still win.");
}

QString clickToTalk() {
    return QStringLiteral("Click to talk");
}

QString clickToTalkDescription() {
    return QStringLiteral("A microphone button on your lists and inside a list. Click it to "
                          "start, click again or say “stop” to finish.");
}

QString listenOnOpenDescription() {
    return QStringLiteral("Starts listening as soon as you open Tallybird, however you opened it — "
                          "including tallybird say “Open Groceries in Tallybird” on the command "
                          "line.");
}

QString microphoneExplanation() {
    return QStringLiteral("The microphone only runs while Tallybird is open, and stops the moment "
                          "you quit it. What you say is turned into text on this computer and is "
                          "never sent to us.");
}

QString tagChipsExplanation() {
    return QStringLiteral(
        "Tags group and filter items \u2014 click one while adding to tag without typing #.");
}

} // namespace PlatformWording
