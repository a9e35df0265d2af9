#include "ui/sounds.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTemporaryDir>

#include <alsa/asoundlib.h>
#include <canberra.h>

#include <array>
#include <cstdint>

namespace orrimar {

namespace {

constexpr std::array<const char*, 2> SoundNames{"coll", "esc"};  // lower case, as the files
constexpr std::uint32_t PlayId = 1;  // one id for both: cancelling it stops whichever plays

void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// The player lives as a child of the application object: it goes with it (and with it
// the temporary copies of the sounds), and a later application object starts anew.
class SoundPlayer : public QObject {
public:
    explicit SoundPlayer(QObject* parent) : QObject(parent)
    {
        // Without a sound card ALSA would print a dozen lines per sound; a missing device
        // stays quiet. Nothing else in the program talks to ALSA.
        snd_lib_error_set_handler(dropAlsaMessage);
        if (ca_context_create(&context_) != CA_SUCCESS) {
            context_ = nullptr;
            return;
        }
        ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Orrimar",
                                CA_PROP_APPLICATION_ID, "org.orrimar.Orrimar", nullptr);
    }
    ~SoundPlayer() override
    {
        if (context_ != nullptr)
            ca_context_destroy(context_);
    }
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    QString file(std::size_t index)
    {
        if (files_[index].isEmpty())
            files_[index] = locate(index);
        return files_[index];
    }

    void play(std::size_t index)
    {
        const QString path = file(index);
        if (context_ == nullptr || path.isEmpty())
            return;
        // Like one wave channel: whatever plays now stops, the new sound starts from its
        // beginning. Errors (no device, no sound server) are left unreported on purpose.
        ca_context_cancel(context_, PlayId);
        ca_context_play(context_, PlayId, CA_PROP_MEDIA_FILENAME, QFile::encodeName(path).constData(),
                        CA_PROP_EVENT_DESCRIPTION, SoundNames[index], nullptr);
    }

private:
    QString locate(std::size_t index)
    {
        const QString name = QString::fromLatin1(SoundNames[index]) + QStringLiteral(".wav");
        const QString installed = QCoreApplication::applicationDirPath() +
                                  QStringLiteral("/../share/orrimar/sounds/") + name;
        if (QFileInfo(installed).isFile())
            return QDir::cleanPath(installed);
        if (!temporary_.isValid())
            return {};
        const QString copy = temporary_.filePath(name);
        QFile::remove(copy);
        if (!QFile::copy(QStringLiteral(":/sounds/") + name, copy))
            return {};
        return copy;
    }

    ca_context* context_ = nullptr;
    QTemporaryDir temporary_;
    std::array<QString, SoundNames.size()> files_;
};

QPointer<SoundPlayer> currentPlayer;

SoundPlayer* player()
{
    if (currentPlayer.isNull())
        currentPlayer = new SoundPlayer(QCoreApplication::instance());
    return currentPlayer.data();
}

int soundIndex(QStringView name)
{
    for (std::size_t i = 0; i < SoundNames.size(); ++i)
        if (name.compare(QLatin1String(SoundNames[i]), Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    return -1;
}

}  // namespace

bool playProgramSound(QStringView name)
{
    const int index = soundIndex(name);
    if (index < 0)
        return false;
    if (QCoreApplication::instance() != nullptr)
        player()->play(static_cast<std::size_t>(index));
    return true;
}

QString programSoundFile(QStringView name)
{
    const int index = soundIndex(name);
    if (index < 0 || QCoreApplication::instance() == nullptr)
        return {};
    return player()->file(static_cast<std::size_t>(index));
}

}  // namespace orrimar
