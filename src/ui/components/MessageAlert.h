#pragma once

#include <QString>

class QMessageBox;
class QWidget;

// A screen's message as an alert: its one line as the title (plain text), with no further
// message, and one "OK" that closes it. Return does not press "OK" for the user; Escape closes.
// Modal to `parent`'s window, not shown yet.
namespace MessageAlert {

QMessageBox* make(const QString& text, QWidget* parent);

} // namespace MessageAlert
