#include "services/scratch_drive.h"

#include "platform/drive_map.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace avrtazu::test {

namespace fs = std::filesystem;

ScratchDrive::ScratchDrive(char letter) : m_letter(letter) {
    std::string pattern = (fs::temp_directory_path() / "avrtazu-build-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    m_root = pattern;
    DriveMap::map(m_letter, m_root);
}

ScratchDrive::~ScratchDrive() {
    DriveMap::unmap(m_letter);
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

std::string ScratchDrive::linuxPath(const std::string& relative) const {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '\\', '/');
    return path.empty() ? m_root : m_root + "/" + path;
}

std::string ScratchDrive::windowsPath(const std::string& relative) const {
    std::string path = relative;
    std::replace(path.begin(), path.end(), '/', '\\');
    return std::string(1, m_letter) + ":\\" + path;
}

std::string ScratchDrive::write(const std::string& relative, const std::string& content,
                                bool executable) const {
    const fs::path path = linuxPath(relative);
    fs::create_directories(path.parent_path());
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << content;
    }
    if (executable) {
        fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec, fs::perm_options::add);
    }
    return path.string();
}

std::string ScratchDrive::read(const std::string& relative) const {
    std::ifstream in(linuxPath(relative), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ScratchDrive::exists(const std::string& relative) const {
    return fs::exists(linuxPath(relative));
}

void ScratchDrive::makeFolder(const std::string& relative) const {
    fs::create_directories(linuxPath(relative));
}

} // namespace avrtazu::test
