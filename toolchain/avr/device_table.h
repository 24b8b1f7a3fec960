#pragma once

#include <string>
#include <vector>

namespace avrtazu {

// The core that the "-M" switches name; the compiler falls back on it when it has no device.
enum class CoreKind { Classic, EnhancedSmall, Enhanced, Extended, Mega };

// One device the compiler driver knows by its define ("-DATMega16").
struct DeviceEntry {
    std::string define;
    std::string mcu;
};

// The devices of the plug-in's catalogue, by the defines the Makefile carries, with the MCU
// name that avr-gcc uses for each.
class DeviceTable {
public:
    static const std::vector<DeviceEntry>& entries();
    // The MCU for a define name (letter case ignored), empty when the name is no device.
    static std::string mcuForDefine(const std::string& defineName);
    // The avr-gcc architecture for a core, the "-xcall" switch and the program memory size in
    // bytes (0 when unknown).
    static std::string architecture(CoreKind core, bool extendedCalls, long programSize);
    // A device of an architecture that stands in for a device avr-gcc cannot name ("Custom"):
    // avr-libc has start-up code only per device, and the memory switches set the layout.
    static std::string representative(const std::string& architecture);
};

} // namespace avrtazu
