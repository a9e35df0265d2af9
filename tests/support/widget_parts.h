// What the window tests share: a named part of a window, and how long a flight or a map
// may take before a test gives up.
#pragma once

#include <QLatin1String>
#include <QWidget>
#include <QtGlobal>

namespace orrimar::test {

// The child of window with this object name; a missing one ends the test program.
template <typename T>
T* Part(const QWidget& window, const char* name)
{
    T* part = window.findChild<T*>(QLatin1String(name));
    if (part == nullptr)
        qFatal("No %s", name);
    return part;
}

// ms; a bound for slow (sanitizer) builds, not a timing.
constexpr int Patience = 120000;

}  // namespace orrimar::test
