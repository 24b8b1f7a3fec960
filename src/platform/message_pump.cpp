#include "platform/message_pump.h"

#include <utility>

namespace avrtazu {

namespace {
std::function<void()>& installedStep() {
    static std::function<void()> step;
    return step;
}
} // namespace

void MessagePump::install(std::function<void()> step) {
    installedStep() = std::move(step);
}

void MessagePump::pump() {
    // A copy, so that a step which replaces itself does not destroy what is running.
    const std::function<void()> step = installedStep();
    if (step) {
        step();
    }
}

} // namespace avrtazu
