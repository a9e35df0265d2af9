// Playback of the program's two embedded wave sounds, "COLL" (collision) and "ESC"
// (escape), by name and without waiting.
#pragma once

#include <QStringView>

namespace orrimar {

// Starts the sound resource `name` (case does not matter: "Coll", "COLL" and "coll"
// are the same) and returns at once; a sound still playing is cut off. Returns
// whether `name` names one of the program's sounds. Unknown names, a missing sound
// device or a missing application object play nothing and report nothing. The
// sounds are loaded on first use, once for the life of the application object.
bool playProgramSound(QStringView name);

}  // namespace orrimar
