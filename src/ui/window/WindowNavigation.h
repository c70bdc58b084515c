#pragma once

#include <QObject>
#include <QString>

#include <optional>

// Which list the window has open. It belongs to the window, not to its content, so a list stays
// open when the content is rebuilt (at a new text scale). The lists pane writes it; the detail
// column shows the list while ListSelection finds it among the lists. Main thread only.
class WindowNavigation : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const std::optional<QString>& openListID() const { return openListID_; }
    void setOpenListID(const std::optional<QString>& id);

signals:
    void openListIDChanged();

private:
    std::optional<QString> openListID_;
};
