#include "temp_drive.h"

#include "platform/drive_map.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <stdlib.h>

namespace avrtazu::test {

TempDrive::TempDrive(char letter) : letter_(letter) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tazu-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    root_ = pattern;
    DriveMap::map(letter_, root_);
}

TempDrive::~TempDrive() {
    DriveMap::reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TempDrive::linux(const std::string& relative) const {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '\\', '/');
    return root_ + "/" + path;
}

std::string TempDrive::windows(const std::string& relative) const {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return std::string(1, letter_) + ":\\" + path;
}

std::string TempDrive::write(const std::string& relative, const std::string& content,
                             bool executable) const {
    const std::filesystem::path path = linux(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    if (executable) {
        std::filesystem::permissions(path, std::filesystem::perms::owner_exec,
                                     std::filesystem::perm_options::add);
    }
    return path.string();
}

std::string TempDrive::read(const std::string& relative) const {
    std::ifstream in(linux(relative), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void TempDrive::makeFolder(const std::string& relative) const {
    std::filesystem::create_directories(linux(relative));
}

} // namespace avrtazu::test
