#include "make/job_output.h"

#include "make/make_actions.h"

#include <utility>

namespace avrtazu {

bool JobOutput::foreground() const {
    const std::lock_guard lock(mutex_);
    return foreground_;
}

void JobOutput::write(std::string_view text) {
    const std::lock_guard lock(mutex_);
    put(text);
}

void JobOutput::endLine() {
    const std::lock_guard lock(mutex_);
    if (lineOpen_) {
        put("\n");
    }
}

void JobOutput::bringForward() {
    const std::lock_guard lock(mutex_);
    if (foreground_) {
        return;
    }
    foreground_ = true;
    if (!held_.empty()) {
        actions_.write(held_);
        std::string().swap(held_);
    }
}

void JobOutput::put(std::string_view text) {
    if (text.empty()) {
        return;
    }
    lineOpen_ = text.back() != '\n';
    if (foreground_) {
        actions_.write(text);
    } else {
        held_.append(text);
    }
}

std::string JobOutput::takeHeld() {
    const std::lock_guard lock(mutex_);
    return std::exchange(held_, {});
}

} // namespace avrtazu
