#pragma once

#include <string>

namespace avrtazu {

// The calling thread's last system error and its text, the stand-in for GetLastError and
// FormatMessage.
class SystemError {
public:
    // The last error code (errno).
    static int code();
    static void setCode(int code);
    // The system's description of a code, without a line end.
    static std::string text(int code);
    // The last error as "Error %d: %s" (code, description).
    static std::string lastErrorMessage();
};

} // namespace avrtazu
