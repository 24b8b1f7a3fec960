#pragma once

#include <string>

namespace avrtazu::test {

// A fresh temporary folder mapped as a drive letter for one test, so that Windows paths such
// as C:\work\demo\ run verbatim; removed, and the letter unmapped, at the end.
class ScratchDrive {
public:
    explicit ScratchDrive(char letter = 'C');
    ~ScratchDrive();
    ScratchDrive(const ScratchDrive&) = delete;
    ScratchDrive& operator=(const ScratchDrive&) = delete;

    // The Linux folder behind the drive.
    const std::string& root() const { return m_root; }
    // The Linux path of a path below the root, given with either kind of slash.
    std::string linuxPath(const std::string& relative) const;
    // The Windows path of a path below the root ("C:\" + relative with backslashes).
    std::string windowsPath(const std::string& relative) const;

    // Writes a file, making its folders; returns its Linux path.
    std::string write(const std::string& relative, const std::string& content,
                      bool executable = false) const;
    // The file's bytes; empty when it is missing.
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;
    void makeFolder(const std::string& relative) const;

private:
    char m_letter;
    std::string m_root;
};

} // namespace avrtazu::test
