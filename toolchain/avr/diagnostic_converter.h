#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

// Turns the messages of avr-gcc, the assembler and the linker into the toolchain's lines:
// "!E file(line): message" for an error, "!W file(line):[warning] message" for a warning,
// "!E message" or "!W message" when no source line is known. Context lines and notes stay
// plain and carry no marker, so each mistake is counted once.
class DiagnosticConverter {
public:
    // Turns a path as the GNU tools print it into the Windows path shown to the user.
    using PathMapper = std::function<std::string(const std::string&)>;

    explicit DiagnosticConverter(PathMapper mapPath);

    // The line to print for one line of tool output; none for a line that only repeats an
    // earlier one (such as collect2's closing report).
    std::optional<std::string> convert(const std::string& line) const;
    // Every line of a tool's output, converted, without line ends.
    std::vector<std::string> convertAll(const std::string& output) const;

    static bool isErrorLine(const std::string& line) { return line.rfind("!E", 0) == 0; }

private:
    std::string location(const std::string& file, const std::string& line) const;

    PathMapper mapPath_;
};

} // namespace avrtazu
