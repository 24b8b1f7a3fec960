#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace avrtazu {

class ChildProcess;
class IGuiWorks;

// Runs one command line as a hidden child process, sends each line it writes (standard output
// and error together) to the host's build output with its kind, counts the compiler's error
// and warning markers, and ends with a summary line chosen by the run kind. While the child
// runs, the host's message queue is pumped, so the interface stays alive on its one thread.
class CRedirect {
public:
    // What was run; selects the summary line only.
    static constexpr int kRunBuild = 1;
    static constexpr int kRunMake = 2;
    static constexpr int kRunClean = 3;

    // How one finished line is shown and counted.
    struct LineClass {
        long kind;
        bool countsWarning;
        bool countsError;
    };

    // The command line is the program alone (build.bat in practice), quoted when started.
    // host may be null: lines are then dropped. No working directory means the host's own.
    CRedirect(const std::string& commandLine, IGuiWorks* host,
              const std::optional<std::string>& workingDirectory = std::nullopt);
    virtual ~CRedirect();
    CRedirect(const CRedirect&) = delete;
    CRedirect& operator=(const CRedirect&) = delete;

    // Runs the child to its end. True when it ran, no error marker was counted and the pipe
    // closed cleanly. The counts are not reset, so call it once.
    virtual bool run(int runKind);
    // Asks a run in progress (reached through the message pump, or from another thread) to
    // terminate the child.
    virtual void cancel();

    // The run in progress, so that a host's stop command or interrupt can cancel it from the
    // message pump; the innermost one when runs nest through the pump; null when none runs.
    static CRedirect* running();

    int warningCount() const { return m_warningCount; }
    int errorCount() const { return m_errorCount; }

    // The kind of a line and whether it counts: the first matching rule wins.
    static LineClass classify(const std::string& line);
    // The summary for a run kind and counts; empty for a kind that has none.
    static std::string summary(int runKind, int errors, int warnings);

    // The longest wait on an idle pipe between two pumps of the message queue; output that
    // arrives ends the wait early.
    static constexpr std::chrono::milliseconds kPollInterval{100};

private:
    enum class LoopEnd { ChildEnded, Cancelled, Failed };

    LoopEnd readUntilEnd(ChildProcess& child);
    // Reads once; false after reporting a failed read.
    bool readOnce(ChildProcess& child);
    // Reads what is waiting without blocking; false after reporting a failure.
    bool drain(ChildProcess& child);
    // Waits up to the poll interval, returning early when output arrives or the child ends.
    void idleWait(ChildProcess& child);
    void terminate(ChildProcess& child);

    // One read's text: backspaces and the pause prompt handled, then cut into lines. Text
    // after the last line feed waits for the next read.
    void takeOutput(std::string text);
    void splitLines(const std::string& text);
    // Sends a waiting unterminated piece as a line of its own.
    void flushPending();
    void sendLine(const std::string& line);
    void send(const std::string& text, long kind);
    // The text, CR LF, and the system's description of the last error, through the splitter.
    void report(const std::string& text, int errorCode);

    std::atomic<bool> m_cancel{false};
    std::chrono::milliseconds m_pollInterval = kPollInterval;
    IGuiWorks* m_host;
    std::string m_commandLine;
    std::optional<std::string> m_workingDirectory;
    int m_warningCount = 0;
    int m_errorCount = 0;
    std::string m_pending;
    // Where the tools' aliases of blank-holding folders begin; set when the run starts.
    std::vector<std::string> m_aliasPrefixes;
};

} // namespace avrtazu
