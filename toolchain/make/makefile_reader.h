#pragma once

#include "make/makefile.h"

#include <stdexcept>
#include <string>

namespace avrtazu {

// A Makefile line that cannot be understood.
class MakefileError : public std::runtime_error {
public:
    MakefileError(int line, const std::string& message)
        : std::runtime_error(message), line_(line) {}
    int line() const { return line_; }

private:
    int line_;
};

// Reads the text of a Makefile: "NAME = value" (also ":=", "+=", "?="), rule lines
// "targets: prerequisites" whose names may be Windows paths with drive letters, commands on
// lines that begin with a tab, "#" comments and lines continued by a blank and a backslash.
// Line ends may be LF or CR LF.
class MakefileReader {
public:
    // Throws MakefileError for a line that is neither blank, a comment, an assignment, a rule
    // nor a command of a rule.
    static void read(const std::string& text, Makefile& makefile);

    // Where the rule separator of a line is: the first colon that is not the colon of a drive
    // letter ("C:\..."); npos when there is none.
    static std::size_t ruleColon(const std::string& line);
};

} // namespace avrtazu
