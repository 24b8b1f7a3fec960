#pragma once

#include <string>

namespace avrtazu::test {

// A fresh temporary folder mapped as a drive letter for one test; removed with everything in
// it, and the drive map reset, at the end.
class TempDrive {
public:
    explicit TempDrive(char letter = 'C');
    ~TempDrive();
    TempDrive(const TempDrive&) = delete;
    TempDrive& operator=(const TempDrive&) = delete;

    // The Linux folder behind the drive.
    const std::string& root() const { return root_; }
    // The Linux path of a path relative to the drive's root ("a/b.txt").
    std::string linux(const std::string& relative) const;
    // The Windows path of a path relative to the drive's root ("a\b.txt" or "a/b.txt").
    std::string windows(const std::string& relative) const;

    // Writes a file (folders made as needed), executable on request; returns its Linux path.
    std::string write(const std::string& relative, const std::string& content,
                      bool executable = false) const;
    std::string read(const std::string& relative) const;
    void makeFolder(const std::string& relative) const;

private:
    char letter_;
    std::string root_;
};

} // namespace avrtazu::test
