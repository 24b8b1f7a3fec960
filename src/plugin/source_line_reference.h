#pragma once

#include <optional>
#include <string>

namespace avrtazu {

// A place in a source file named by a build-output line such as
// "!E C:\work\demo\main.c(12): error text": the file's bare name and the line.
struct SourceLineReference {
    std::string fileName;
    long line = 0;

    // The file name lies between the first blank and the first "(", cut after its last "\";
    // the line is the decimal number between the first "(" and the first ")". Nothing when
    // one of the three characters is missing, they stand in another order, or no name is left.
    static std::optional<SourceLineReference> parse(const std::string& text);
};

} // namespace avrtazu
