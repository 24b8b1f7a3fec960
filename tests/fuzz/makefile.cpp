// A Makefile as tazumake reads it, then the commands of its first target expanded as they are
// run. A MakefileError is the reader's answer to a bad line; anything else that escapes is a
// fault.

#include "make/makefile_reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace avrtazu;
    Makefile makefile;
    try {
        MakefileReader::read(std::string(reinterpret_cast<const char*>(data), size), makefile);
    } catch (const MakefileError&) {
        return 0;
    }
    const std::string goal = makefile.defaultTarget();
    if (const MakeRule* rule = makefile.rule(goal)) {
        const RuleContext context{goal, rule->prerequisites};
        for (const std::string& command : rule->commands) {
            makefile.expand(command, &context);
        }
    }
    return 0;
}
