#include "formats/message_text.h"

namespace orrimar {

std::string WithFinalDot(std::string message)
{
    // The last byte of a multi-byte UTF-8 character is above 0x7F, as is its code point.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        message += '.';
    return message;
}

}  // namespace orrimar
