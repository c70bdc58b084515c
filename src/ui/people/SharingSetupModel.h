#pragma once

#include <QObject>

class Defaults;

// The sharing set-up sheet without its widgets: the name the people a list is shared with see
// beside the user's notes. The field starts empty whatever is stored; commit() keeps the trimmed
// name as the preferred author name. Main thread only.
class SharingSetupModel : public QObject {
    Q_OBJECT

public:
    explicit SharingSetupModel(Defaults& defaults, QObject* parent = nullptr);

    static QString title() { return QStringLiteral("Set up sharing"); }
    static QString cancelTitle() { return QStringLiteral("Cancel"); }
    static QString continueTitle() { return QStringLiteral("Continue"); }
    static QString placeholder() { return QStringLiteral("Name"); }
    static QString fieldLabel() { return QStringLiteral("Your name"); }
    static QString explanation();

    const QString& label() const { return label_; }
    void setLabel(const QString& label);
    // A name of blanks and line breaks alone is no name.
    bool canContinue() const;
    // Stores the trimmed name and answers true, after which the sheet closes and sharing goes
    // on; a blank name stores nothing and answers false.
    bool commit();

signals:
    void changed();

private:
    Defaults& defaults_;
    QString label_;
};
