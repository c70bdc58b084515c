#pragma once

#include <QWidget>

class NoteField;
class TextLabel;

// The note field on its rounded input background, with the placeholder drawn over it while the
// field is empty.
class NoteComposer : public QWidget {
    Q_OBJECT
public:
    NoteComposer(const QString& placeholder, QWidget* parent = nullptr);

    NoteField& field() const { return *field_; }
    void setPlaceholderShown(bool shown);
    bool placeholderShown() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    NoteField* field_;
    TextLabel* placeholder_;
};
