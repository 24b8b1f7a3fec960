#include "model/source_file.h"

#include "platform/win_path.h"

#include <algorithm>

namespace avrtazu {

namespace {

// The long-name expansion writes into a buffer of this many characters, terminator included.
constexpr std::size_t kLongPathBuffer = 260;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; });
    return text;
}

// Folds "dir\.." pairs from the left. Dots that cannot be folded stay where they are and end
// the folding, so every text terminates: each fold removes at least the two dots.
void foldParentComponents(std::string& path) {
    for (;;) {
        const std::size_t dots = path.find("..");
        if (dots == std::string::npos || dots == 0) {
            return;
        }
        // The prefix loses the backslash before the dots and the last letter of the component.
        const std::string prefix = path.substr(0, dots >= 2 ? dots - 2 : 0);
        const std::size_t slash = prefix.rfind('\\');
        if (slash == std::string::npos || dots + 2 == path.size()) {
            return;
        }
        path.erase(slash, dots + 2 - slash);
    }
}

} // namespace

SourceFile::SourceFile(const std::string& fullName) {
    setFullName(fullName);
}

SourceFile::SourceFile(const std::string& name, const std::string& path) {
    setName(name);
    setPath(path);
}

void SourceFile::setName(const std::string& name) {
    if (!name.empty()) {
        m_name = name;
    }
}

void SourceFile::setPath(const std::string& path) {
    if (path.empty()) {
        return;
    }
    m_path = path;
    convertPathToWindowsStyle(m_path);
    if (m_path.empty() || m_path.back() != '\\') {
        m_path += '\\';
    }
}

void SourceFile::setFullName(const std::string& fullName) {
    if (fullName.empty()) {
        return;
    }
    std::string converted = fullName;
    convertPathToWindowsStyle(converted);
    const std::size_t slash = converted.rfind('\\');
    if (slash == std::string::npos) {
        m_path.clear();
        m_name = converted;
    } else {
        m_path = converted.substr(0, slash + 1);
        m_name = converted.substr(slash + 1);
    }
}

void SourceFile::convertPathToWindowsStyle() {
    std::string full = fullName();
    convertPathToWindowsStyle(full);
    setFullName(full);
}

std::string SourceFile::extension() const {
    const std::size_t dot = m_name.rfind('.');
    return dot == std::string::npos ? std::string() : m_name.substr(dot + 1);
}

std::string SourceFile::stem() const {
    const std::size_t dot = m_name.rfind('.');
    return dot == std::string::npos ? std::string() : m_name.substr(0, dot);
}

bool SourceFile::isRelative() const {
    // The first two characters decide; they fit in a string that needs no memory of its own.
    std::string head(m_path, 0, 2);
    if (head.size() < 2) {
        head.append(m_name, 0, 2 - head.size());
    }
    return WinPath::isRelative(head);
}

bool SourceFile::exists() const {
    return WinPath::fileExists(fullName());
}

bool SourceFile::exists(const std::string& base) const {
    std::string directory = base;
    convertPathToWindowsStyle(directory);
    if (WinPath::isRelative(directory)) {
        return false;
    }
    if (directory.back() != '\\') {
        directory += '\\';
    }
    return WinPath::fileExists(directory + fullName());
}

std::string SourceFile::absoluteName(const std::string& base) const {
    const bool relative = isRelative();
    std::string name;
    name.reserve((relative ? base.size() : 0) + m_path.size() + m_name.size());
    if (relative) {
        name += base;
    }
    name += m_path;
    name += m_name;
    return name;
}

void SourceFile::subtractPath(const std::string& base) {
    if (base.empty()) {
        return;
    }
    std::string directory = base;
    if (directory.back() != '\\') {
        directory += '\\';
    }
    // The length is taken before the conversion, as the path is cut by it afterwards.
    const std::size_t length = directory.size();
    convertPathToWindowsStyle(directory);
    if (lowerCase(m_path.substr(0, length)) == lowerCase(directory)) {
        m_path = length < m_path.size() ? m_path.substr(length) : std::string();
    }
}

void SourceFile::convertPathToWindowsStyle(std::string& path) {
    if (path.find("/cygdrive") != std::string::npos) {
        path.erase(0, 9);
    }
    if (!path.empty() && path.front() == '/') {
        path.erase(0, 1);
        // "/c/work" names drive c; any lower-case letter after the slash is read as a drive.
        if (!path.empty() && (path.size() < 2 || path[1] != ':') && path[0] >= 'a' &&
            path[0] <= 'z') {
            path.insert(1, 1, ':');
        }
    }
    std::replace(path.begin(), path.end(), '/', '\\');
    foldParentComponents(path);
    if (path.find('~') != std::string::npos) {
        if (const auto longName = WinPath::longPathName(path);
            longName && longName->size() < kLongPathBuffer) {
            path = *longName;
        }
    }
}

std::string SourceFile::getUnixPathFromWindowsPath(const std::string& path) {
    std::string unixPath = path;
    std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
    return unixPath;
}

std::string SourceFile::extension(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

} // namespace avrtazu
