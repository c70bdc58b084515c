#pragma once

#include <QObject>

// Whether the settings sheet is shown; the menu command, the header's button and the lists
// page all open it through here. Used on the main thread only.
class SettingsPresentation : public QObject {
    Q_OBJECT
public:
    static SettingsPresentation& shared();

    bool isOpen() const { return isOpen_; }
    void setOpen(bool open);

signals:
    void isOpenChanged();

private:
    SettingsPresentation() = default;
    bool isOpen_ = false;
};
