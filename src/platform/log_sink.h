#pragma once

#include <string>

namespace avrtazu {

// The four levels of the host's log channel, with the host's numbers.
enum class LogLevel { Info = 0, Warning = 1, Error = 2, Debug = 3 };

// Where the lower layers write their log lines. The host's log channel installs itself here,
// so the model and the platform never depend on the layers above them.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(LogLevel level, const std::string& context, const std::string& message) = 0;

    // The sink that receives every line from now on; nullptr drops the lines.
    static void install(LogSink* sink);
    static LogSink* installed();
    // Writes one line to the installed sink, if any.
    static void post(LogLevel level, const std::string& context, const std::string& message);
};

} // namespace avrtazu
