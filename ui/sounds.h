// Playback of the program's two wave sounds, "COLL" (collision) and "ESC" (escape), by
// name and without waiting, through the desktop's event-sound library.
#pragma once

#include <QString>
#include <QStringView>

namespace orrimar {

// Starts the sound `name` (case does not matter: "Coll", "COLL" and "coll" are the
// same) and returns at once; a sound still playing is cut off. Returns whether `name`
// names one of the program's sounds. Unknown names, a missing sound device or a
// missing application object play nothing and report nothing.
bool playProgramSound(QStringView name);

// The wave file played for `name`, or an empty string for an unknown name or without
// an application object. An installed program plays share/orrimar/sounds next to its
// bin/; elsewhere (a build tree) the compiled-in wave is written once to a temporary
// folder that goes with the application object.
QString programSoundFile(QStringView name);

}  // namespace orrimar
