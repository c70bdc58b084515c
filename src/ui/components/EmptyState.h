#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;

// What an empty page shows: a large symbol, a title, a message and, only when both a title and
// an action are given, one button.
struct EmptyStateContent {
    QString title;
    QString message;
    QString systemImage;
    std::optional<QString> actionTitle;
    std::function<void()> action;

    bool showsButton() const { return actionTitle.has_value() && bool(action); }
};

// The centred block shown where a page has nothing to show yet. Title and message are shown as
// given, as plain text, and wrap. Placed in a larger area it keeps its own height in the middle
// of it (its height for a width: heightForWidth()).
class EmptyState : public QWidget {
    Q_OBJECT
public:
    explicit EmptyState(EmptyStateContent content, QWidget* parent = nullptr);

    // The action's button; null when the content has none.
    QAbstractButton* actionButton() const { return button_; }

private:
    EmptyStateContent content_;
    QAbstractButton* button_ = nullptr;
};
