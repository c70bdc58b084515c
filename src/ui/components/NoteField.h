#pragma once

#include <QPlainTextEdit>

// The note field of the item editor: borderless, one line high when empty, growing with its
// text up to six lines and scrolling after that. Return hands the note on (submitted());
// Shift+Return breaks the line.
class NoteField : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int maximumLines = 6;

    explicit NoteField(QWidget* parent = nullptr);

    QString text() const { return toPlainText(); }
    void setText(const QString& text) { setPlainText(text); }
    // The lines shown without scrolling: the text's lines, from one to six.
    int visibleLines() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void submitted();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitHeight();
};
