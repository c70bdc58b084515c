#pragma once

#include <QString>
#include <QWidget>

#include <optional>

class TextLabel;

// The settings rows. A row: an icon tile (the symbol on the primary colour, 32 by 32), then,
// when it has a label, the label over an optional detail and a gap of at least 8, then the
// trailing content; padded 18 at the sides and 12 above and below, at least 56 high. Without a
// label the trailing content follows the tile directly. Texts follow the text scale; the tile
// does not.
class SettingsRow : public QWidget {
    Q_OBJECT
public:
    SettingsRow(const QString& icon, const std::optional<QString>& label,
                const std::optional<QString>& detail, QWidget* trailing, QWidget* parent = nullptr);

    TextLabel* labelText() const { return label_; }

private:
    TextLabel* label_ = nullptr;
};

// A row without an icon, its label where a row's label starts (62 in), at least 44 high.
class SettingsSubRow : public QWidget {
    Q_OBJECT
public:
    SettingsSubRow(const QString& label, QWidget* trailing, QWidget* parent = nullptr);
};

// The tile of a row: a symbol in the on-primary colour on a primary rounded square.
class SettingsIconTile : public QWidget {
    Q_OBJECT
public:
    explicit SettingsIconTile(const QString& icon, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString icon_;
};
