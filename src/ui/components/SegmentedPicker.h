#pragma once

#include <QStringList>
#include <QWidget>

class QHBoxLayout;
class SegmentButton;

// A row of equal segments choosing one of a few options ("System", "Light", "Dark"). The
// caller keeps the options and maps them to titles; the picker knows only their positions.
// Pressing a segment selects it and announces selectionChanged(); a selection of -1 (a value
// that is none of the options) shows no segment selected.
class SegmentedPicker : public QWidget {
    Q_OBJECT
public:
    explicit SegmentedPicker(const QStringList& titles, int selected = -1,
                             QWidget* parent = nullptr);

    int selected() const { return selected_; }
    // Shows a selection without announcing it (the caller's value changed).
    void setSelected(int index);
    QStringList titles() const { return titles_; }

signals:
    void selectionChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void press(int index);

    QStringList titles_;
    int selected_;
    QList<SegmentButton*> segments_;
};
