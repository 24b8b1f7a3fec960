#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace avrtazu {

// A hidden child process whose standard output and standard error arrive together through one
// pipe, and whose standard input is empty.
//
// The command line is Windows-style: the first word is the program (a Windows or Linux path,
// quoted or not, or a bare name searched on PATH, also with ".exe"); the rest are the
// arguments, split by the Windows rules. A program ending in ".bat" or ".cmd" runs through the
// batch-file runner, as Windows runs batch files through its command processor; when the file
// only prepares and starts one program, that program is the child, started as the runner
// would start it (BatchRunner::directStart). The child sees the drives mapped in this process.
//
// Each call reports failure through its result and leaves the reason in errno (SystemError).
class ChildProcess {
public:
    ChildProcess() = default;
    // Closes the pipe; a child still running goes on running, as on Windows.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts the child in its own process group, in the given working folder (Windows path)
    // or in this process's current folder. False when the program cannot be found or started.
    bool start(const std::string& commandLine,
               const std::optional<std::string>& workingFolder = std::nullopt);
    bool isStarted() const { return pid_ > 0; }
    int processId() const { return pid_; }

    // Bytes waiting in the pipe, without blocking; nullopt when the pipe cannot be looked at.
    std::optional<std::size_t> bytesAvailable() const;
    // Waits up to the timeout for bytes in the pipe or the child's end; returns at once when
    // either is there, and early when a signal arrives. A pipe that no writer holds any more
    // does not end the wait while the child still runs. False when the pipe cannot be waited on.
    bool waitForOutput(std::chrono::milliseconds timeout) const;
    // Reads up to max bytes; blocks when nothing is waiting. 0 means every writer has closed
    // the pipe; nullopt is a failed read.
    std::optional<std::size_t> read(char* buffer, std::size_t max);

    // Whether the child has ended, without waiting. A child that cannot be waited for (none
    // started, or already collected) counts as ended.
    bool hasEnded();
    // The exit status once the child has ended; 128 + the signal for a killed child.
    std::optional<int> exitCode() const { return exitCode_; }

    // Kills the child and everything it started (its process group) and collects the child.
    bool terminate();

    // Closes the pipe. Closing twice is harmless.
    bool close();

private:
    bool collect(bool wait);

    int pid_ = -1;
    int readFd_ = -1;
    // Readable once the child has ended; -1 where the system offers none.
    int pidFd_ = -1;
    bool collected_ = false;
    std::optional<int> exitCode_;
};

} // namespace avrtazu
