#include "platform/system_error_text.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace avrtazu {

int SystemError::code() {
    return errno;
}

void SystemError::setCode(int code) {
    errno = code;
}

std::string SystemError::text(int code) {
    return std::generic_category().message(code);
}

std::string SystemError::lastErrorMessage() {
    const int last = code();
    const std::string description = text(last);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Error %d: ", last);
    return buffer + description;
}

} // namespace avrtazu
