#pragma once

#include "model/device_info.h"
#include "model/fpslic_memory_option.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// The devices the system can build for, in their fixed order, followed by an end row whose
// texts are empty and whose flags and numbers are zero. The position of a row is the index
// the supported-parts file refers to.
// These two objects are filled during static initialisation; code that may run from another
// static initialiser reads the rows through DeviceCatalog, which is usable at any time.
extern const std::array<DeviceInfo, 85> DeviceTable;
// Rows 0 to 3 divide the memory of the smallest FPSLIC device, rows 4 to 7 the larger ones.
extern const std::array<FpslicMemoryOption, 8> FpslicMemoryTable;

class DeviceCatalog {
public:
    static constexpr int deviceCount = 84;

    // Row 0..84; 84 is the end row, and so is any index out of range.
    static const DeviceInfo& device(int index);
    // Case-sensitive; the walk ends at the end row. -1 when not found.
    static int findExact(const std::string& name);
    // Without regard to case, rows 0 to 83. -1 when not found.
    static int findIgnoringCase(const std::string& name);
    // The partitions the FPSLIC combo box offers for the device.
    static std::vector<FpslicMemoryOption> fpslicPartitions(const std::string& deviceName);
    // The "Boot Size" texts of a group; empty for a group without a boot-loader section.
    static std::vector<std::string> bootSizeChoices(int bootSizeGroup);
    // The trimmed lines of the supported-parts file at a Windows path, blank ones included;
    // nullopt when the file cannot be opened.
    static std::optional<std::vector<std::string>>
    readSupportedParts(const std::string& windowsPath);
};

} // namespace avrtazu
