#include "studio/compile_commands_export.h"

#include "model/project.h"
#include "platform/dialog_service.h"
#include "platform/drive_map.h"
#include "platform/toolchain_contract.h"
#include "services/output_directory.h"

#include <filesystem>
#include <system_error>

namespace avrtazu {

namespace fs = std::filesystem;

std::optional<std::string> CompileCommandsExport::run(const Project& project,
                                                      std::string* problem) {
    const std::string name(toolchain_contract::kCompileDatabaseName);
    problem->clear();
    fs::path written;
    try {
        written = fs::path(DriveMap::toLinux(outputDirectory(project))) / name;
    } catch (const std::exception& error) {
        *problem = error.what();
        return std::nullopt;
    }
    if (!fs::is_regular_file(written)) {
        *problem = "There is no " + name + " yet: a build of the project writes it.";
        return std::nullopt;
    }
    const std::optional<std::string> chosen =
        DialogService::current().saveFile("Export " + name, name, project.homePath(), true);
    const std::string target = chosen ? DriveMap::toLinux(*chosen) : std::string();
    if (target.empty()) {
        if (chosen) {
            *problem = "Cannot write " + *chosen + ": it is on no drive of this system.";
        }
        return std::nullopt;
    }
    std::error_code error;
    fs::copy_file(written, target, fs::copy_options::overwrite_existing, error);
    if (error) {
        *problem = "Cannot write " + target + ": " + error.message();
        return std::nullopt;
    }
    return target;
}

} // namespace avrtazu
