#pragma once

#include "platform/temp_drive.h"

namespace avrtazu::test {

// A temporary drive that unmaps only its own letter, so that two can live side by side.
class ScratchDrive : public TempDrive {
public:
    explicit ScratchDrive(char letter = 'C') : TempDrive(letter, true) {}
    // The Linux path of a path below the root (the root itself for ""), either kind of slash.
    std::string linuxPath(const std::string& relative) const {
        return relative.empty() ? root() : linux(relative);
    }
    std::string windowsPath(const std::string& relative) const { return windows(relative); }
};

} // namespace avrtazu::test
