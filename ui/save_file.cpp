#include "ui/save_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace orrimar {

namespace {

// The device's reason, or the system's when the device has none.
QString Reason(const QFileDevice& device, int error)
{
    const QString reason = device.errorString();
    if (!reason.isEmpty() && reason != QLatin1String("Unknown error"))
        return reason;
    return QString::fromLocal8Bit(std::strerror(error != 0 ? error : EIO));
}

}  // namespace

QString withExtension(const QString& path, const QString& extension)
{
    const QFileInfo info(path);
    if (path.isEmpty() || path.endsWith('/') || !info.suffix().isEmpty() || info.exists())
        return path;
    return path + '.' + extension;
}

QString saveFile(const QString& path, const std::function<bool(QIODevice& device)>& write)
{
    // What the name leads to, symbolic links followed.
    std::error_code ignored;
    const auto type = std::filesystem::status(path.toStdString(), ignored).type();
    if (type == std::filesystem::file_type::directory)
        return QString::fromLocal8Bit(std::strerror(EISDIR));
    if (type != std::filesystem::file_type::not_found && type != std::filesystem::file_type::regular &&
        type != std::filesystem::file_type::none) {
        // A device or a FIFO: nothing to rename over it.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return Reason(file, errno);
        errno = 0;
        bool written = write(file) && file.error() == QFileDevice::NoError && file.flush();
        const int error = errno;
        file.close();
        written = written && file.error() == QFileDevice::NoError;
        return written ? QString() : Reason(file, error != 0 ? error : errno);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Reason(file, errno);
    errno = 0;
    bool written = write(file) && file.error() == QFileDevice::NoError;
    written = written && file.flush();
    if (!written) {
        // The reason before cancelWriting() replaces it; the temporary file goes with file.
        const QString reason = Reason(file, errno);
        file.cancelWriting();
        return reason;
    }
    if (!file.commit())
        return Reason(file, errno);
    return {};
}

}  // namespace orrimar
