#pragma once

#include "model/PersonAlias.h"
#include "model/PersonDisplay.h"

#include <QObject>

#include <optional>

class ListStore;

// The person name sheet without its widgets: the nickname, photo and the other kept values of
// one note author, the heading that follows the field as it is typed, and the two stages (the
// starting path, then the details). Nothing reaches the store before save(). Main thread only.
class PersonAliasModel : public QObject {
    Q_OBJECT

public:
    // `storedName`: the name kept with the person's notes, what they call themselves. What is
    // kept for the person is loaded at once.
    PersonAliasModel(ListStore& store, QString personID, QString storedName,
                     QObject* parent = nullptr);

    static QString title() { return QStringLiteral("Their name"); }
    static QString cancelTitle() { return QStringLiteral("Cancel"); }
    static QString doneTitle() { return QStringLiteral("Done"); }
    static QString doneLabel() { return QStringLiteral("Save this name"); }
    static QString pathTitle() { return QStringLiteral("Create Profile"); }
    static QString pathSymbol() { return QStringLiteral("person.crop.circle.badge.plus"); }
    static QString pathDetail() {
        return QStringLiteral("Give them a name yourself. No contact needed.");
    }
    static QString pathLabel() { return pathTitle() + QStringLiteral(". ") + pathDetail(); }
    static QString privacyNote();
    static QString nicknameSection() { return QStringLiteral("NICK NAME"); }
    static QString nicknameLabel() { return QStringLiteral("Nick name"); }
    static QString useTheirNameTitle() { return QStringLiteral("Use their name"); }
    static QString useTheirNameLabel() { return QStringLiteral("Use their name instead"); }
    static QString photoSection() { return QStringLiteral("PHOTO"); }
    static QString removePhotoTitle() { return QStringLiteral("Remove Photo"); }

    const QString& personID() const { return personID_; }
    const QString& storedName() const { return storedName_; }

    // False: the starting path shows, and no "Done". Nothing sets it back while the sheet lives.
    bool started() const { return started_; }
    void createProfile();

    const QString& alias() const { return alias_; }
    void setAlias(const QString& alias);
    QString placeholder() const;
    bool showsUseTheirName() const;
    void useTheirName();

    bool hasPhoto() const { return photo_.has_value(); }
    void removePhoto();
    QString photoNote() const;

    // What the sheet would keep, built from its state: the nickname exactly as typed.
    PersonAlias draft() const;
    // The heading: the person as shown with the draft kept.
    PersonDisplay::Resolved resolved() const;
    QString headingName() const;
    // "They call themselves …" under a nickname, when they have a name of their own.
    std::optional<QString> headingNote() const;
    QString headingLabel() const;

    // Keeps the draft (or forgets the person, when the draft holds nothing) in the store.
    void save();

signals:
    void changed();

private:
    ListStore& store_;
    QString personID_;
    QString storedName_;
    QString alias_;
    std::optional<QByteArray> photo_;
    std::optional<QString> linkedName_;
    QStringList handles_;
    bool started_ = false;
};
