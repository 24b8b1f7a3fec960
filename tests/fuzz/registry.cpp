// A .reg file, asked for the two values the plug-in looks for when it finds the toolchain.

#include "platform/registry.h"
#include "platform/toolchain_contract.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace avrtazu::toolchain_contract;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string machine = "HKEY_LOCAL_MACHINE\\";
    avrtazu::Registry::readStringFromText(text, machine + std::string(kUninstallKey),
                                          std::string(kUninstallValue));
    avrtazu::Registry::readStringFromText(text, "HKLM\\" + std::string(kSoftwareKey),
                                          std::string(kInstallDirValue));
    return 0;
}
