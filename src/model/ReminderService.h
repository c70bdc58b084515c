#pragma once

#include "platform/Date.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class Defaults;

namespace ListReminder {
// A reminder for a list, due at a time.
struct Request {
    QString listID;
    QString listName;
    Date fireAt;

    bool operator==(const Request&) const = default;
};
} // namespace ListReminder

// The scheduler of this build: reminders cannot be delivered here, so it schedules nothing.
class RemindersUnavailable {};

// Handed to every view that offers reminders. On this build it only holds its scheduler, the
// settings it was given and the reason last given for refusing a reminder.
class ReminderService : public QObject {
    Q_OBJECT
public:
    ReminderService(std::shared_ptr<RemindersUnavailable> scheduler, Defaults& defaults,
                    QObject* parent = nullptr);

    const RemindersUnavailable& scheduler() const { return *scheduler_; }
    Defaults& defaults() const { return defaults_; }

    std::optional<QString> refusalToExplain() const { return refusalToExplain_; }
    void setRefusalToExplain(const std::optional<QString>& text);

signals:
    void refusalToExplainChanged();

private:
    std::shared_ptr<RemindersUnavailable> scheduler_;
    Defaults& defaults_;
    std::optional<QString> refusalToExplain_;
};
