// Saving a file the user named: the type's extension added to a name typed without one,
// the bytes written under a temporary name and put in place only when all of them were
// written, and a failure turned into a reason ("No space left on device"). A device or
// FIFO the name leads to is written directly. No partial file is ever left behind.
#pragma once

#include <QString>

#include <functional>

class QIODevice;

namespace orrimar {

// path with ".extension" added when its file name has no extension and names nothing
// that exists.
QString withExtension(const QString& path, const QString& extension);

// Writes the file through write(device), which returns false when it failed; returns
// an empty string when the file is in place, else why it is not.
QString saveFile(const QString& path, const std::function<bool(QIODevice& device)>& write);

}  // namespace orrimar
