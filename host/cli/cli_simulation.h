#pragma once

#include "lib/simulator_run.h"

#include <optional>
#include <ostream>
#include <string>

namespace avrtazu {

// The simulator part of avrtazu run: the firmware's serial output goes to `output` as it comes,
// notes go to `messages`; the run ends after the time given, when the firmware ends, or on
// SIGINT or SIGTERM; without a time, after kDefaultSeconds unless a debugger is awaited.
class CliSimulation {
public:
    static constexpr int kDefaultSeconds = 2;

    // The exit status: 0 for a run that went its time or ended with the firmware, 1 when the
    // simulator could not run it, 128 + the signal that stopped it.
    static int run(const SimulatorRun::Target& target, const std::string& helperProgram,
                   std::optional<int> seconds, std::ostream& output, std::ostream& messages);
};

} // namespace avrtazu
