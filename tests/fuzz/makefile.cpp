// A Makefile as tazumake reads it, then the recipe of its first target as it is made ready to
// run. A MakefileError is the reader's answer to a bad line; anything else that escapes is a
// fault.

#include "make/makefile_reader.h"
#include "make/recipe.h"

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
        const Recipe recipe(makefile, goal, *rule);
    }
    return 0;
}
