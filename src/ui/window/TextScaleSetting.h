#pragma once

#include "model/TextScale.h"

#include <QObject>

// The text scale the whole program draws with, over the stored "textScale" setting. Every
// writer goes through here, so the window hears of each change and rebuilds its content at the
// new scale. Used on the main thread only.
class TextScaleSetting : public QObject {
    Q_OBJECT
public:
    static TextScaleSetting& shared();

    // The stored scale; standard when none or an unknown one is stored.
    TextScale current() const { return TextScale::stored(); }
    // Stores the scale and announces it, also when it is the one already stored.
    void store(TextScale scale);

signals:
    void changed();

private:
    TextScaleSetting() = default;
};
