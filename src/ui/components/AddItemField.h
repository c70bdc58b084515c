#pragma once

#include "SingleLineField.h"

#include <QClipboard>

#include <functional>

// The one-line field of the add bar, borderless in the app's type and colours. Return hands
// the text on (submitted()) and keeps the keyboard focus, so items can be typed one after
// another. The host follows and steers the focus through setFocused() and focusedChanged();
// each side copies the other only when they differ. No placeholder of its own: the host draws
// one.
class AddItemField : public SingleLineField {
    Q_OBJECT
public:
    explicit AddItemField(bool focused = false, QWidget* parent = nullptr);

    bool isFocused() const { return focused_; }
    // The host's wish: takes or gives up the keyboard focus when it differs.
    void setFocused(bool focused);

    // Sees every paste first (Ctrl+V and its kin, the context menu's Paste, the middle button's
    // selection): a text it takes (true) does not go into the field; otherwise the field
    // inserts it as usual, its line breaks made spaces.
    using PasteHandler = std::function<bool(const QString& text)>;
    void setPasteHandler(PasteHandler handler) { pasteHandler_ = std::move(handler); }

signals:
    void submitted();
    void focusedChanged(bool focused);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void applyFocus();
    void noteFocus(bool focused);
    // Offers the clipboard's text to the handler; true when it took it.
    bool offerPaste(QClipboard::Mode mode);

    bool focused_;
    PasteHandler pasteHandler_;
};
