#include "lib/project_document.h"

#include "platform/drive_map.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace avrtazu {

namespace {

namespace fs = std::filesystem;

std::string systemText(int code) {
    return std::strerror(code);
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes.str();
}

// Line and column (from 1) of a byte offset, for a parse error the user can find.
std::pair<long, long> lineAndColumn(const std::string& text, std::ptrdiff_t offset) {
    const auto end = text.begin() + std::clamp<std::ptrdiff_t>(offset, 0, text.size());
    const long line = 1 + std::count(text.begin(), end, '\n');
    const auto lineStart = std::find(std::make_reverse_iterator(end), text.rend(), '\n').base();
    return {line, 1 + static_cast<long>(end - lineStart)};
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// A new file beside target that nobody else can have opened: O_EXCL on a random name. The
// process's umask applies as it would to any new file.
int createTemporary(const std::string& target, std::string* tempPath) {
    const fs::path path(target);
    std::random_device seed;
    std::mt19937 random(seed());
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string suffix(8, 'x');
        for (char& c : suffix) {
            c = kLetters[random() % (sizeof kLetters - 1)];
        }
        *tempPath = (path.parent_path() / ("." + path.filename().string() + "." + suffix + ".tmp"))
                        .string();
        const int fd = ::open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

bool replaceFile(const std::string& target, const std::string& bytes, std::string* error) {
    const auto fail = [&](const std::string& what, int code) {
        *error = "cannot save " + target + ": " + what + systemText(code);
        return false;
    };
    std::string tempPath;
    const int fd = createTemporary(target, &tempPath);
    if (fd < 0) {
        return fail("", errno);
    }
    struct stat old {};
    // The project keeps its permissions across saves.
    const bool keepMode = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    bool ok = writeAll(fd, bytes);
    int code = errno;
    if (ok && keepMode && ::fchmod(fd, old.st_mode & 07777) != 0) {
        ok = false;
        code = errno;
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
        code = errno;
    }
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(tempPath.c_str());
        return fail("", code);
    }
    // Make the rename itself durable; a failure here no longer endangers the old content.
    const int folder = ::open(fs::path(target).parent_path().c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

} // namespace

bool ProjectDocument::load(const std::string& linuxPath, std::string* error) {
    m_xml.reset();
    m_path.clear();
    m_storedSaveFolder.reset();

    std::error_code failure;
    const fs::path path = fs::absolute(linuxPath, failure).lexically_normal();
    if (failure) {
        *error = "cannot read " + linuxPath + ": " + failure.message();
        return false;
    }
    if (fs::is_directory(path, failure)) {
        *error = "cannot read " + linuxPath + ": it is a folder, not a project file";
        return false;
    }
    errno = 0;
    const std::optional<std::string> bytes = readWholeFile(path.string());
    if (!bytes) {
        *error = "cannot read " + linuxPath + ": " +
                 (errno != 0 ? systemText(errno) : std::string("read error"));
        return false;
    }
    const pugi::xml_parse_result parsed = m_xml.load_buffer(
        bytes->data(), bytes->size(), pugi::parse_default | pugi::parse_declaration);
    if (!parsed) {
        const auto [line, column] = lineAndColumn(*bytes, parsed.offset);
        *error = linuxPath + " is not a readable project file: " + parsed.description() +
                 " at line " + std::to_string(line) + ", column " + std::to_string(column);
        m_xml.reset();
        return false;
    }
    const pugi::xml_node root = m_xml.document_element();
    if (std::strcmp(root.name(), kRootName) != 0) {
        *error = linuxPath + " is not an AVR Studio project file: " +
                 (root ? "its root element is <" + std::string(root.name()) + ">"
                       : std::string("it has no root element")) +
                 ", not <" + kRootName + ">";
        m_xml.reset();
        return false;
    }

    m_path = path.string();
    const pugi::xml_node saveFolder = root.child(kCodeCreationSection).child(kSaveFolderKey);
    if (saveFolder) {
        m_storedSaveFolder = saveFolder.text().get();
    }
    if (projectName().empty()) {
        // A project needs a name for its output files; the file's own name is the obvious one.
        setValue(kManagementSection, kProjectNameKey, path.stem().string());
    }
    adoptFolder();
    return true;
}

void ProjectDocument::create(const std::string& linuxFolder, const std::string& name) {
    m_xml.reset();
    pugi::xml_node declaration = m_xml.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
    m_xml.append_child(kRootName);
    m_path = (fs::absolute(linuxFolder).lexically_normal() / (name + kFileExtension)).string();
    m_storedSaveFolder = std::string();
    setValue(kManagementSection, kProjectNameKey, name);
    adoptFolder();
}

void ProjectDocument::adoptFolder() {
    setValue(kCodeCreationSection, kSaveFolderKey, windowsFolder());
}

std::string ProjectDocument::folder() const {
    return fs::path(m_path).parent_path().string();
}

std::string ProjectDocument::windowsFolder() const {
    std::string windows = DriveMap::toWindows(folder());
    if (windows.empty() || windows.back() != '\\') {
        windows.push_back('\\');
    }
    return windows;
}

std::string ProjectDocument::value(const std::string& section, const std::string& key) const {
    return m_xml.document_element().child(section.c_str()).child(key.c_str()).text().get();
}

void ProjectDocument::setValue(const std::string& section, const std::string& key,
                               const std::string& text) {
    pugi::xml_node root = m_xml.document_element();
    pugi::xml_node sectionNode = root.child(section.c_str());
    if (!sectionNode) {
        sectionNode = root.append_child(section.c_str());
    }
    pugi::xml_node keyNode = sectionNode.child(key.c_str());
    if (!keyNode) {
        keyNode = sectionNode.append_child(key.c_str());
    }
    keyNode.text().set(text.c_str());
}

std::string ProjectDocument::serialize() const {
    pugi::xml_document copy;
    copy.reset(m_xml);
    pugi::xml_node saveFolder =
        copy.document_element().child(kCodeCreationSection).child(kSaveFolderKey);
    if (saveFolder) {
        saveFolder.text().set(m_storedSaveFolder.value_or(std::string()).c_str());
    }
    std::ostringstream out;
    copy.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}

bool ProjectDocument::save(std::string* error) const {
    if (m_path.empty()) {
        *error = "cannot save: no project file is open";
        return false;
    }
    const std::string bytes = serialize();
    if (readWholeFile(m_path) == bytes) {
        return true;
    }
    return replaceFile(m_path, bytes, error);
}

} // namespace avrtazu
