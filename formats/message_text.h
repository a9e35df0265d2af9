// The final full stop of the program's error boxes.
#pragma once

#include <string>

namespace orrimar {

// Adds a "." when the message's last character comes after "." in character code order
// (letters, digits and any non-ASCII character do; ".", "!", ")" and blanks do not).
// The message is UTF-8; an empty message stays empty.
std::string WithFinalDot(std::string message);

}  // namespace orrimar
