#include "ui/window/TextScaleSetting.h"

TextScaleSetting& TextScaleSetting::shared() {
    static TextScaleSetting setting;
    return setting;
}

void TextScaleSetting::store(TextScale scale) {
    TextScale::store(scale);
    emit changed();
}
