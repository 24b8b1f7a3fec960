#include "common/toolchain_layout.h"

#include "platform/toolchain_contract.h"

#include <filesystem>
#include <system_error>

namespace avrtazu {

std::string ToolchainLayout::binFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string();
}

std::string ToolchainLayout::libFolder() {
    const std::filesystem::path bin = binFolder();
    return (bin.parent_path() / std::string(toolchain_contract::kLibFolder)).string();
}

} // namespace avrtazu
