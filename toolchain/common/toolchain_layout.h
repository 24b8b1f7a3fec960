#pragma once

#include <string>

namespace avrtazu {

// Where the running tool sits in its toolchain root: the tools in bin, the helpers in lib.
class ToolchainLayout {
public:
    // The Linux folder of the running program, empty when it cannot be told.
    static std::string binFolder();
    // The lib folder beside bin.
    static std::string libFolder();
};

} // namespace avrtazu
