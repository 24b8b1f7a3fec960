#include "services/toolchain_locator.h"

#include "services/plug_in_utility.h"

#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/toolchain_contract.h"

#include <optional>

namespace avrtazu {

namespace contract = toolchain_contract;

namespace {

constexpr const char* kMachineRoot = "HKEY_LOCAL_MACHINE\\";

// A registry value as the fixed buffer reads it: the text and its terminating zero must fit.
// One that does not leaves the toolchain unfound; a warning says why, or the build would end
// in a tool that "is not recognized" with no word of the reason.
std::optional<std::string> fittingValue(PlugInUtility& utility, const RegistryValue& value,
                                        std::string_view name) {
    if (!value.ok()) {
        return std::nullopt;
    }
    if (value.value.size() + 1 > contract::kRegistryValueLimit) {
        utility.logWarning("The registry value " + std::string(name) + " is " +
                           std::to_string(value.value.size()) +
                           " bytes long; the toolchain search reads values of at most " +
                           std::to_string(contract::kRegistryValueLimit - 1) +
                           " bytes, so the installed toolchain was not found");
        return std::nullopt;
    }
    return value.value;
}

void fill(PlugInUtility& utility, const std::string& root) {
    utility.setCompilerDirectory(root + std::string(contract::kBinFolder));
    utility.setMakeDirectory(root + std::string(contract::kBinFolder));
    utility.setLibraryDirectory(root + std::string(contract::kLibFolder));
    utility.setHelpFile(root + std::string(contract::kHelpFile));
}

void reportTool(PlugInUtility& utility, const std::string& directory, std::string_view program,
                const char* found, const char* missing) {
    const std::string path = directory + "\\" + std::string(program);
    if (FileSystem::fileExists(path)) {
        utility.logDebug("", found + path);
    } else {
        utility.logDebug("", missing);
    }
}

} // namespace

std::string ToolchainLocator::rootFromUninstallString(const std::string& command) {
    const std::size_t backslash = command.rfind('\\');
    if (backslash == std::string::npos) {
        return {};
    }
    const std::string upToBackslash = command.substr(0, backslash + 1);
    const std::size_t colon = upToBackslash.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        return {};
    }
    return upToBackslash.substr(colon - 1);
}

void ToolchainLocator::locate(PlugInUtility& utility) {
    const RegistryValue uninstall =
        Registry::readString(kMachineRoot + std::string(contract::kUninstallKey),
                             std::string(contract::kUninstallValue));
    const bool uninstallKeyOpens =
        uninstall.status == RegistryStatus::Ok || uninstall.status == RegistryStatus::ValueNotFound;
    if (uninstallKeyOpens) {
        const std::optional<std::string> command =
            fittingValue(utility, uninstall, contract::kUninstallValue);
        if (!command) {
            return;
        }
        const std::string root = rootFromUninstallString(*command);
        if (root.empty()) {
            // Not a path this system can read; say so rather than leave the user guessing.
            utility.logDebug("", "No install directory in UninstallString \"" + *command + "\"");
            return;
        }
        fill(utility, root);
    } else {
        const std::optional<std::string> directory =
            fittingValue(utility,
                         Registry::readString(kMachineRoot + std::string(contract::kSoftwareKey),
                                              std::string(contract::kInstallDirValue)),
                         contract::kInstallDirValue);
        if (!directory) {
            return;
        }
        fill(utility, *directory + "\\");
    }

    if (!utility.compilerDirectory().empty() && !utility.makeDirectory().empty()) {
        reportTool(utility, utility.compilerDirectory(), contract::kCompilerDriver,
                   "Found avr-tazu at ",
                   "Could not find avr-tazu. Please Check your TAZUAVR installation");
        reportTool(utility, utility.makeDirectory(), contract::kMakeTool, "Found tazu-make at ",
                   "Could not find tazu-make. Please Check your TazuAVR installation");
    }
}

} // namespace avrtazu
