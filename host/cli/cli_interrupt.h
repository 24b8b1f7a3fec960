#pragma once

namespace avrtazu {

// SIGINT and SIGTERM for avrtazu: the handler only notes which signal came, and the run acts
// on it where that is safe (the message pump cancels a running tool; the exit status tells).
class CliInterrupt {
public:
    // Takes over SIGINT and SIGTERM for the rest of the process.
    static void install();
    // The last signal that came, or 0.
    static int signal();
    // The exit status of a run that a signal ended: 128 + the signal.
    static int exitStatus(int signal) { return 128 + signal; }
};

} // namespace avrtazu
