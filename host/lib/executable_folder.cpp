#include "lib/executable_folder.h"

#include <filesystem>
#include <system_error>

namespace avrtazu {

std::string ExecutableFolder::of(const char* argv0) {
    std::error_code failure;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failure);
    if (failure) {
        self = std::filesystem::absolute(argv0, failure);
    }
    return self.parent_path().string();
}

} // namespace avrtazu
