// tazuavr: the toolchain's C compiler driver, built on avr-gcc.

#include "avr/compiler_driver.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace avrtazu;

int compileOrLink(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments.front() == "--help" || arguments.front() == "/?") {
        std::puts("Usage: tazuavr -c [switches] source...      compile to objects\n"
                  "       tazuavr -o base [switches] objects   link base.cof, base.hex,\n"
                  "                                            base.lis and base.mp\n"
                  "The switches are described in Help\\TAZUAVR\\wwhelp.htm.");
        return arguments.empty() ? 1 : 0;
    }
    // The GNU tools' messages in plain ASCII, which is what the output reader expects.
    ::setenv("LC_ALL", "C", 1);

    const std::optional<AvrTools> tools = CompilerDriver::locateTools();
    if (!tools) {
        std::puts("!E avr-gcc, avr-objcopy or avr-objdump not found: install gcc-avr, "
                  "binutils-avr and avr-libc");
        return 1;
    }
    CompilerDriver driver(*tools);
    return driver.run(arguments);
}

} // namespace

int main(int argc, char** argv) {
    // Whatever goes wrong ends in one error line the build counts, never in an abort.
    try {
        return compileOrLink(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception& error) {
        std::printf("!E tazuavr: %s\n", error.what());
    } catch (...) {
        std::puts("!E tazuavr: unexpected failure");
    }
    return 1;
}
