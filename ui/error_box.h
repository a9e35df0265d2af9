// The standard error box: the program's one place where an error becomes a message
// on the screen.
#pragma once

#include <QString>

#include <functional>

namespace orrimar {

// Shows message in a modal box captioned with the application name ("Orrimar"), with an
// error icon and an OK button. A final "." is added when the message's last character
// comes after "." in character code order.
void showErrorBox(const QString& message);

// Replaces the modal box by handler, which receives the text the box would show (final
// "." included); tests use it to capture messages. An empty handler restores the box.
void setErrorBoxHandler(std::function<void(const QString& text)> handler);

}  // namespace orrimar
