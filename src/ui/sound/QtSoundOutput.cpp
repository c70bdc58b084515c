// Playing the program's sounds through Qt Multimedia.
#include "QtSoundOutput.h"

#include "SoundPlayback.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

QtSoundOutput::QtSoundOutput() = default;

QtSoundOutput::~QtSoundOutput() {
    qDeleteAll(effects_);
}

void QtSoundOutput::play(const QString& soundName) {
    QSoundEffect* effect = effects_.value(soundName);
    if (effect == nullptr) {
        const QString path = SoundPlayback::resourcePath(soundName);
        if (!QFile::exists(path))
            return;
        effect = new QSoundEffect;
        effect->setSource(QUrl(QStringLiteral("qrc") + path));
        effects_.insert(soundName, effect);
    }
    effect->stop();
    effect->play(); // plays once loaded, when the first request comes before that
}
