#pragma once

#include <functional>

namespace avrtazu {

// Lets long operations on the one user-interface thread keep the interface alive: the host
// installs the step that processes its pending events, and pump() runs it.
class MessagePump {
public:
    // An empty function removes the step.
    static void install(std::function<void()> step);
    // Processes pending events; does nothing when no step is installed.
    static void pump();
};

} // namespace avrtazu
