#include "cli/cli_interrupt.h"

#include <csignal>

namespace avrtazu {

namespace {

volatile std::sig_atomic_t receivedSignal = 0;

extern "C" void noteSignal(int number) {
    receivedSignal = number;
}

} // namespace

void CliInterrupt::install() {
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes go on; waits end early, so that the pump sees the signal soon.
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int CliInterrupt::signal() {
    return receivedSignal;
}

} // namespace avrtazu
