#include "avr/device_table.h"
#include "platform/text_case.h"

#include <algorithm>
#include <cctype>

namespace avrtazu {

namespace {

std::vector<DeviceEntry> buildEntries() {
    // Device names of the catalogue as their defines; both ATmega128 rows share "ATMega128".
    static const char* const names[] = {
        "ATtiny13",   "ATtiny2313", "ATtiny24",    "ATtiny25",   "ATtiny26",    "ATtiny261",
        "ATtiny44",   "ATtiny45",   "ATtiny461",   "ATtiny84",   "ATtiny85",    "ATtiny861",
        "ATMega48",   "ATMega8",    "ATMega8515",  "ATMega8535", "ATMega88",    "ATMega16",
        "ATMega161",  "ATMega162",  "ATMega163",   "ATMega164P", "ATMega165",   "ATMega165P",
        "ATMega168",  "ATMega168P", "ATMega169",   "ATMega169P", "ATMega32",    "ATMega323",
        "ATMega324P", "ATMega325",  "ATMega325P",  "ATMega3250", "ATMega3250P", "ATMega329",
        "ATMega329P", "ATMega3290", "ATMega3290P", "ATMega406",  "ATMega64",    "ATMega640",
        "ATMega644",  "ATMega644P", "ATMega645",   "ATMega6450", "ATMega649",   "ATMega6490",
        "ATMega103",  "ATMega128",  "ATMega1280",  "ATMega1281", "AT90CAN32",   "AT90CAN64",
        "AT90CAN128", "ATMega2560", "ATMega2561",  "AT90PWM1",   "AT90PWM2",    "AT90PWM3",
        "AT90USB82",  "AT90USB162", "AT90USB646",  "AT90USB647", "AT90USB1286", "AT90USB1287",
        "AT94K05",    "AT94K10",    "AT94K40",     "AT86RF401",  "AT43USB320",  "AT43USB355",
        "AT90S2313",  "AT90S2323",  "AT90S2333",   "AT90S2343",  "AT90S4414",   "AT90S4433",
        "AT90S4434",  "AT90S8515",  "AT90C8534",   "AT90S8535",
    };
    std::vector<DeviceEntry> entries;
    for (const char* name : names) {
        std::string mcu = TextCase::lower(name);
        // avr-gcc knows the FPSLIC family as one device; the partition comes from the switches.
        if (mcu.rfind("at94k", 0) == 0) {
            mcu = "at94k";
        }
        entries.push_back({name, mcu});
    }
    return entries;
}

} // namespace

const std::vector<DeviceEntry>& DeviceTable::entries() {
    static const std::vector<DeviceEntry> table = buildEntries();
    return table;
}

std::string DeviceTable::mcuForDefine(const std::string& defineName) {
    const std::string wanted = TextCase::lower(defineName);
    for (const DeviceEntry& entry : entries()) {
        if (TextCase::lower(entry.define) == wanted) {
            return entry.mcu;
        }
    }
    return {};
}

std::string DeviceTable::architecture(CoreKind core, bool extendedCalls, long programSize) {
    if (extendedCalls || core == CoreKind::Extended || programSize > 0x20000) {
        return "avr6";
    }
    switch (core) {
    case CoreKind::Enhanced:
        return programSize > 0x10000 ? "avr51" : "avr5";
    case CoreKind::EnhancedSmall:
        return "avr4";
    case CoreKind::Mega:
        return programSize > 0x10000 ? "avr31" : "avr3";
    case CoreKind::Classic:
    case CoreKind::Extended:
        break;
    }
    return "avr2";
}

std::string DeviceTable::representative(const std::string& architecture) {
    static const std::pair<const char*, const char*> devices[] = {
        {"avr2", "at90s8515"},  {"avr25", "attiny85"}, {"avr3", "at43usb355"},
        {"avr31", "atmega103"}, {"avr4", "atmega8"},   {"avr5", "atmega16"},
        {"avr51", "atmega128"}, {"avr6", "atmega2560"}};
    for (const auto& [name, device] : devices) {
        if (architecture == name) {
            return device;
        }
    }
    return "at90s8515";
}

} // namespace avrtazu
