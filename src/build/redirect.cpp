#include "build/redirect.h"

#include "services/bstr.h"
#include "services/gui_works.h"

#include "platform/child_process.h"
#include "platform/message_pump.h"
#include "platform/short_name_alias.h"
#include "platform/system_error_text.h"
#include "platform/toolchain_contract.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string_view>
#include <utility>

namespace avrtazu {

namespace contract = toolchain_contract;

namespace {

// One read takes at most this many bytes, leaving room for the terminator of a C text.
constexpr std::size_t kReadBufferSize = 8192;
constexpr std::size_t kReadLimit = kReadBufferSize - 1;

// A tool that never ends a line must not fill memory: its text goes on in lines this long.
constexpr std::size_t kLineLimit = 64 * 1024;
constexpr std::string_view kPausePrompt = "Press any key to continue . . .";
constexpr std::string_view kCancelledText =
    "\r\nCancelled.\r\n\r\nProcess terminated successfully.\r\n";

bool contains(const std::string& line, std::string_view word) {
    return line.find(word) != std::string::npos;
}

bool containsAny(const std::string& line, std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(),
                       [&line](std::string_view word) { return contains(line, word); });
}

CRedirect*& runningRedirect() {
    static CRedirect* run = nullptr;
    return run;
}

// Registers a run as the one in progress for its length, and puts back the one it interrupted.
class RunningScope {
public:
    explicit RunningScope(CRedirect* run) : m_previous(std::exchange(runningRedirect(), run)) {}
    ~RunningScope() { runningRedirect() = m_previous; }
    RunningScope(const RunningScope&) = delete;
    RunningScope& operator=(const RunningScope&) = delete;

private:
    CRedirect* m_previous;
};

std::string format(const char* pattern, int first, int second = 0) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, pattern, first, second);
    return buffer;
}

} // namespace

CRedirect::CRedirect(const std::string& commandLine, IGuiWorks* host,
                     const std::optional<std::string>& workingDirectory)
    : m_host(host), m_commandLine(commandLine), m_workingDirectory(workingDirectory) {}

CRedirect::~CRedirect() = default;

void CRedirect::cancel() {
    m_cancel = true;
}

CRedirect* CRedirect::running() {
    return runningRedirect();
}

CRedirect::LineClass CRedirect::classify(const std::string& line) {
    if (containsAny(line, {"warning", contract::kWarningMarker})) {
        return {kOutputWarning, contains(line, contract::kWarningMarker), false};
    }
    if (containsAny(line, {"error", contract::kErrorMarker, "Error", "Stop", "No such file",
                           "undefined reference"})) {
        return {kOutputError, false, contains(line, contract::kErrorMarker)};
    }
    if (contains(line, contract::kCompilerCommand)) {
        return {kOutputToolLine, false, false};
    }
    return {kOutputPlain, false, false};
}

std::string CRedirect::summary(int runKind, int errors, int warnings) {
    switch (runKind) {
    case kRunBuild:
        return errors == 0
                   ? format("Build succeeded with %d Warnings...", warnings)
                   : format("Build failed with %d errors and %d warnings...", errors, warnings);
    case kRunMake:
        return errors == 0
                   ? format("Make succeeded with %d Warnings...", warnings)
                   : format("Make failed with %d errors and %d warnings...", errors, warnings);
    case kRunClean:
        return "Successfully cleaned the project";
    default:
        return {};
    }
}

bool CRedirect::run(int runKind) {
    const RunningScope registration(this);
    m_aliasPrefixes = ShortNameAlias::aliasPrefixes();
    ChildProcess child;
    errno = 0;
    if (!child.start("\"" + m_commandLine + "\"", m_workingDirectory)) {
        const int code = errno;
        // Starting makes the pipe first; running out of descriptors is where that fails.
        const bool pipeFailed = code == EMFILE || code == ENFILE;
        report(pipeFailed ? "Error creating pipe" : "Error creating process", code);
        return false;
    }

    readUntilEnd(child);
    flushPending();

    // The child's thread and process need no handles of their own here, and the pipe's write
    // end was closed as soon as the child had it; the read end is left.
    if (!child.close()) {
        report("Error closing pipe read handle.", errno);
    }

    const std::string line = summary(runKind, m_errorCount, m_warningCount);
    if (!line.empty()) {
        send(line, kOutputPlain);
    }
    return m_errorCount == 0;
}

CRedirect::LoopEnd CRedirect::readUntilEnd(ChildProcess& child) {
    for (;;) {
        const std::optional<std::size_t> waiting = child.bytesAvailable();
        if (!waiting) {
            report("PeekNamedPipe fialed", errno);
            return LoopEnd::Failed;
        }
        if (*waiting > 0) {
            if (!readOnce(child)) {
                return LoopEnd::Failed;
            }
        } else if (child.hasEnded()) {
            // What the child wrote before it ended is all in the pipe by now.
            return drain(child) ? LoopEnd::ChildEnded : LoopEnd::Failed;
        }
        MessagePump::pump();
        if (m_cancel) {
            terminate(child);
            return LoopEnd::Cancelled;
        }
        if (*waiting == 0) {
            idleWait(child);
        }
    }
}

bool CRedirect::readOnce(ChildProcess& child) {
    char buffer[kReadBufferSize];
    const std::optional<std::size_t> got = child.read(buffer, kReadLimit);
    if (!got) {
        report("ReadFile fialed", errno);
        return false;
    }
    takeOutput(std::string(buffer, *got));
    return true;
}

bool CRedirect::drain(ChildProcess& child) {
    const std::optional<std::size_t> waiting = child.bytesAvailable();
    if (!waiting) {
        report("PeekNamedPipe fialed", errno);
        return false;
    }
    // Only what is there now: a process that outlived the child and keeps the pipe open must
    // not hold the run.
    std::size_t left = *waiting;
    char buffer[kReadBufferSize];
    while (left > 0) {
        const std::optional<std::size_t> got =
            child.read(buffer, std::min<std::size_t>(kReadLimit, left));
        if (!got) {
            report("ReadFile fialed", errno);
            return false;
        }
        if (*got == 0) {
            break;
        }
        takeOutput(std::string(buffer, *got));
        left -= std::min(left, *got);
    }
    return true;
}

void CRedirect::idleWait(ChildProcess& child) {
    // One poll interval at most, cut short by output or the end of the pipe, so a busy child
    // is never held up by the pause and an idle one costs one wake-up per interval.
    child.waitForOutput(m_pollInterval);
}

void CRedirect::terminate(ChildProcess& child) {
    if (!child.terminate()) {
        report("Error terminating process.", errno);
        return;
    }
    // Output written before the end still belongs before the notice.
    drain(child);
    flushPending();
    splitLines(std::string(kCancelledText));
}

void CRedirect::takeOutput(std::string text) {
    // The read is handled as a C text: a zero byte ends it.
    text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
    if (text.find('\b') != std::string::npos) {
        std::replace(text.begin(), text.end(), '\b', ' ');
    }
    // The prompt may begin in the piece still waiting from the last read: that seam is looked
    // at on its own, so a read is searched where it lies instead of being copied.
    const std::size_t tail = std::min(m_pending.size(), kPausePrompt.size() - 1);
    const std::string seam =
        m_pending.substr(m_pending.size() - tail) + text.substr(0, kPausePrompt.size() - 1);
    std::size_t prompt = seam.find(kPausePrompt);
    if (prompt == std::string::npos || prompt >= tail) {
        const std::size_t inText = text.find(kPausePrompt);
        prompt = inText == std::string::npos ? inText : tail + inText;
    }
    if (prompt != std::string::npos) {
        if (prompt < tail) {
            m_pending.erase(m_pending.size() - tail + prompt);
            text.clear();
        } else {
            text.erase(prompt - tail);
        }
    }
    splitLines(text);
}

void CRedirect::splitLines(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::size_t kept = m_pending.size();
        m_pending.append(text, at, end - at);
        m_pending.erase(std::remove(m_pending.begin() + static_cast<std::ptrdiff_t>(kept),
                                    m_pending.end(), '\r'),
                        m_pending.end());
        // A line that does not end goes on in pieces rather than growing without bound.
        std::size_t sent = 0;
        while (m_pending.size() - sent >= kLineLimit) {
            sendLine(m_pending.substr(sent, kLineLimit));
            sent += kLineLimit;
        }
        m_pending.erase(0, sent);
        if (end == text.size()) {
            break;
        }
        sendLine(m_pending);
        m_pending.clear();
        at = end + 1;
    }
}

void CRedirect::flushPending() {
    if (!m_pending.empty()) {
        sendLine(m_pending);
        m_pending.clear();
    }
}

void CRedirect::sendLine(const std::string& toolLine) {
    // The tools name folders by their blank-free aliases; the user knows the real ones.
    const bool aliased =
        std::any_of(m_aliasPrefixes.begin(), m_aliasPrefixes.end(),
                    [&toolLine](const std::string& prefix) { return contains(toolLine, prefix); });
    const std::string expanded = aliased ? ShortNameAlias::expandAliases(toolLine) : std::string();
    const std::string& line = aliased ? expanded : toolLine;
    const LineClass lineClass = classify(line);
    if (lineClass.countsWarning) {
        ++m_warningCount;
    }
    if (lineClass.countsError) {
        ++m_errorCount;
    }
    send(line, lineClass.kind);
}

void CRedirect::send(const std::string& text, long kind) {
    if (m_host != nullptr) {
        m_host->AddOutputMessage(toWide(text), kind);
    }
}

void CRedirect::report(const std::string& text, int errorCode) {
    std::string message = text + "\r\n";
    const std::string description = SystemError::text(errorCode);
    // Codes the system has no text for come back as "Unknown error N".
    if (description.empty() || description.rfind("Unknown error", 0) == 0) {
        message += "No status because FormatMessage failed.\r\n";
    } else {
        message += description + "\r\n";
    }
    flushPending();
    splitLines(message);
}

} // namespace avrtazu
