#include "ui/sounds.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSoundEffect>
#include <QString>
#include <QUrl>

#include <array>

namespace orrimar {

namespace {

struct ProgramSound {
    const char* name;      // lower case
    const char* resource;  // Qt resource URL of the wave file
    QPointer<QSoundEffect> effect;
};

// The effects are children of the application object: they go with it, so none
// outlives the audio back end, and a later application object loads them anew.
std::array<ProgramSound, 2> sounds{{
    {"coll", "qrc:/sounds/coll.wav", {}},
    {"esc", "qrc:/sounds/esc.wav", {}},
}};

QSoundEffect* Effect(ProgramSound& sound)
{
    if (sound.effect.isNull()) {
        sound.effect = new QSoundEffect(QCoreApplication::instance());
        sound.effect->setSource(QUrl(QString::fromLatin1(sound.resource)));
    }
    return sound.effect.data();
}

}  // namespace

bool playProgramSound(QStringView name)
{
    ProgramSound* wanted = nullptr;
    for (ProgramSound& sound : sounds)
        if (name.compare(QLatin1String(sound.name), Qt::CaseInsensitive) == 0)
            wanted = &sound;
    if (wanted == nullptr)
        return false;
    if (QCoreApplication::instance() == nullptr)
        return true;
    // Like one wave channel: whatever plays now stops, the new sound starts from its beginning.
    for (ProgramSound& sound : sounds)
        if (!sound.effect.isNull())
            sound.effect->stop();
    Effect(*wanted)->play();
    return true;
}

}  // namespace orrimar
