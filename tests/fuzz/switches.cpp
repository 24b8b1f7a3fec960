// tazuavr's command line: the input's lines up to a NUL byte are the arguments; what follows
// the NUL is the text of every "@" list file they name.

#include "avr/switch_parser.h"

#include <cstddef>
#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace avrtazu;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    std::vector<std::string> arguments;
    std::istringstream lines(input.substr(0, nul));
    for (std::string line; std::getline(lines, line);) {
        arguments.push_back(line);
    }
    const auto listFile = [&](const std::string&) -> std::optional<std::string> {
        if (nul == std::string::npos) {
            return std::nullopt;
        }
        return input.substr(nul + 1);
    };
    SwitchParser::parse(arguments, listFile);
    return 0;
}
