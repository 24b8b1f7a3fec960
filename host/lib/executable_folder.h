#pragma once

#include <string>

namespace avrtazu {

// Where a host finds what it ships beside itself: the registry file and AvrStudioPlugin/.
class ExecutableFolder {
public:
    // The folder of the running program (a Linux path); argv0 serves when /proc is missing.
    static std::string of(const char* argv0);
};

} // namespace avrtazu
