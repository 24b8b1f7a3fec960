#pragma once

#include <string>

namespace avrtazu {

// One file of a project: a directory part ending with a backslash (or empty) and a file name.
// Also the path rules of the whole system, as static operations on bare path texts.
class SourceFile {
public:
    // For containers only: empty name and path.
    SourceFile() = default;
    // As setFullName.
    explicit SourceFile(const std::string& fullName);
    // As setName, then setPath.
    SourceFile(const std::string& name, const std::string& path);

    const std::string& name() const { return m_name; }
    const std::string& path() const { return m_path; }
    std::string fullName() const { return m_path + m_name; }
    std::string fullNameAsUnixpath() const { return getUnixPathFromWindowsPath(fullName()); }

    // Each ignores the empty text.
    void setName(const std::string& name);
    void setPath(const std::string& path);
    void setFullName(const std::string& fullName);

    // Rewrites the full name in Windows style.
    void convertPathToWindowsStyle();

    // Text of the name after / before its last dot; both empty without a dot.
    std::string extension() const;
    std::string stem() const;

    bool isRelative() const;
    bool exists() const;
    // Looks for the file below an absolute base directory; a relative base finds nothing.
    bool exists(const std::string& base) const;
    // base + fullName for a relative file (base must end with a backslash), else fullName.
    std::string absoluteName(const std::string& base) const;
    // Removes base from the front of the path, ignoring case; a file elsewhere keeps its path.
    void subtractPath(const std::string& base);

    bool operator==(const SourceFile& other) const {
        return m_name == other.m_name && m_path == other.m_path;
    }
    // A file is never equal to a bare text.
    bool operator==(const std::string&) const { return false; }

    // Forward slashes, "/cygdrive/x", "/x/" drive paths, ".." components and short names
    // become a plain Windows path, in place.
    static void convertPathToWindowsStyle(std::string& path);
    static std::string getUnixPathFromWindowsPath(const std::string& path);
    // Text after the last dot of the whole text, or empty.
    static std::string extension(const std::string& path);

private:
    std::string m_name;
    std::string m_path;
};

} // namespace avrtazu
