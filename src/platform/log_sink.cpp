#include "platform/log_sink.h"

namespace avrtazu {

namespace {
LogSink* currentSink = nullptr;
}

void LogSink::install(LogSink* sink) {
    currentSink = sink;
}

LogSink* LogSink::installed() {
    return currentSink;
}

void LogSink::post(LogLevel level, const std::string& context, const std::string& message) {
    if (currentSink != nullptr) {
        currentSink->write(level, context, message);
    }
}

} // namespace avrtazu
