#pragma once

#include <string>

namespace avrtazu {

// One way of dividing an FPSLIC device's shared memory between code and data.
struct FpslicMemoryOption {
    std::string name;
    // Hexadecimal byte counts.
    std::string codeSize;
    std::string dataSize;

    bool operator==(const FpslicMemoryOption&) const = default;
};

} // namespace avrtazu
