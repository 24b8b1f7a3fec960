#pragma once

#include <string>

namespace avrtazu {

// One row of the device table. The memory values are kept as the text the table gives
// (decimal or 0x hexadecimal); whoever needs a number parses them.
struct DeviceInfo {
    std::string name;
    // EEPROM control registers in the extended I/O space.
    bool eepromExtIo = false;
    // EEPROM location zero must not be used.
    bool eepromStartsAtOne = false;
    // Program and data memory share one area, divided by an FPSLIC partition.
    bool isFpslic = false;
    std::string programMemory;
    std::string dataMemory;
    // First code address after the interrupt vectors, in words.
    std::string textAddressWord;
    // First SRAM address, in bytes.
    std::string dataAddressByte;
    std::string eeprom;
    bool useLongCallJmp = false;
    bool enhancedCore = false;
    bool ioRegsOffsetInternalSram = false;
    // 0: no external SRAM; 1 or 2: external SRAM, naming which start-up file to use.
    int externalMemoryKind = 0;
    // 0: no boot-loader section; otherwise the group of boot-size choices.
    int bootSizeGroup = 0;

    bool operator==(const DeviceInfo&) const = default;
};

} // namespace avrtazu
