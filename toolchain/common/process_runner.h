#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace avrtazu {

// What became of one child program.
struct ProcessResult {
    bool started = false;
    // The exit status; 128 + the signal number for a child killed by a signal.
    int exitCode = -1;
    // Standard output and standard error together, when captured.
    std::string output;
    // Why the child could not be started.
    std::string failure;
};

// Runs a program to its end, waiting for it. Several threads may run children at once.
class ProcessRunner {
public:
    // The child writes where this process writes.
    static ProcessResult runPassThrough(const std::string& program,
                                        const std::vector<std::string>& arguments);
    // The child's standard output and standard error are collected into the result.
    static ProcessResult runCaptured(const std::string& program,
                                     const std::vector<std::string>& arguments);
    // The child's standard output and standard error are handed to piece as they arrive, in
    // pieces of any size, and not kept.
    static ProcessResult runStreamed(const std::string& program,
                                     const std::vector<std::string>& arguments,
                                     const std::function<void(std::string_view)>& piece);
    // The child's standard output goes straight into a file (created or truncated), its
    // standard error into the result; a large output never passes through this process.
    static ProcessResult runIntoFile(const std::string& program,
                                     const std::vector<std::string>& arguments,
                                     const std::string& outputFile);
};

} // namespace avrtazu
