#include "cli/cli_works.h"

#include "lib/project_document.h"

#include "platform/drive_map.h"
#include "platform/toolchain_contract.h"

#include <array>
#include <string_view>

namespace avrtazu {

namespace {

// What a build, make, clean or compile that went wrong says first on its last line, and what
// the tool runner says when the tool never ran or its output was lost.
constexpr std::array<std::string_view, 8> kFailureStarts{
    "Build failed",         "Make failed",         "Clean failed",
    "Compile failed",       "Error creating pipe", "Error creating process",
    "PeekNamedPipe fialed", "ReadFile fialed"};

// The batch-file runner's words for a program it could not find or start.
constexpr std::array<std::string_view, 2> kNotStartedWords{
    "is not recognized as an internal or external command",
    "The system cannot execute the specified program"};

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// "tazumake: *** [all] Error 2", "tazumake: Makefile:3: *** Error: ...", "tazumake: *** Stop.";
// a failure the Makefile lets pass ends in "(ignored)".
bool isMakeFailure(std::string_view line) {
    if (!startsWith(line, toolchain_contract::kMakeCommand) || endsWith(line, "(ignored)")) {
        return false;
    }
    const std::size_t stars = line.find("*** ");
    if (stars == std::string_view::npos) {
        return false;
    }
    const std::string_view after = line.substr(stars);
    return after.find("Error") != std::string_view::npos ||
           after.find("Stop.") != std::string_view::npos;
}

const char* colourOf(long kind) {
    switch (kind) {
    case kOutputWarning:
        return "\033[33m";
    case kOutputError:
        return "\033[31m";
    case kOutputToolLine:
        return "\033[36m";
    default:
        return nullptr;
    }
}

std::string windowsFolder(const std::string& linuxFolder) {
    std::string folder = DriveMap::toWindows(linuxFolder);
    if (folder.empty() || folder.back() != '\\') {
        folder.push_back('\\');
    }
    return folder;
}

} // namespace

CliWorks::CliWorks(const ProjectDocument& document, const std::string& studioFolder,
                   std::ostream& output, std::ostream& messages, bool colour)
    : m_document(document), m_studioDirectory(windowsFolder(studioFolder)), m_output(output),
      m_messages(messages), m_colour(colour) {}

CliWorks::~CliWorks() {
    for (const QPointer<QWidget>& dock : m_docks) {
        delete dock.data();
    }
}

bool CliWorks::isFailureLine(const std::string& line) {
    const std::string_view text(line);
    for (const std::string_view start : kFailureStarts) {
        if (startsWith(text, start)) {
            return true;
        }
    }
    for (const std::string_view words : kNotStartedWords) {
        if (text.find(words) != std::string_view::npos) {
            return true;
        }
    }
    const std::size_t first = text.find_first_not_of(" \t");
    return first != std::string_view::npos &&
           (startsWith(text.substr(first), toolchain_contract::kErrorMarker) ||
            isMakeFailure(text.substr(first)));
}

void CliWorks::resetOutputWatch() {
    m_failureSeen = false;
    m_outputLines = 0;
}

std::vector<QWidget*> CliWorks::dockWindows() const {
    std::vector<QWidget*> alive;
    for (const QPointer<QWidget>& dock : m_docks) {
        if (dock) {
            alive.push_back(dock.data());
        }
    }
    return alive;
}

HRESULT CliWorks::CloseFile(const Bstr&) {
    return S_OK;
}

HRESULT CliWorks::GetActiveFile(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    *path = toWide(m_activeFile);
    return S_OK;
}

HRESULT CliWorks::AddSourceFile(const Bstr&, long* result) {
    if (result != nullptr) {
        *result = 0;
    }
    return S_OK;
}

HRESULT CliWorks::CreateDockWindow(const Bstr& title, const Bstr&, const Bstr&, long, long, void*,
                                   WindowHandle* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    auto* dock = new QWidget();
    dock->setWindowTitle(QString::fromStdWString(title));
    // The IDE's left dock is about this size; the tree lays itself out within it. Nobody sees
    // it here, so it is never shown and never painted.
    dock->resize(253, 600);
    m_docks.emplace_back(dock);
    *window = dock;
    return S_OK;
}

HRESULT CliWorks::GetProjectDirectory(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    *path = toWide(m_document.windowsFolder());
    return S_OK;
}

HRESULT CliWorks::GetInitialFileName(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    path->clear();
    return S_OK;
}

HRESULT CliWorks::OpenFileAtLine(const Bstr& path, long line, long) {
    m_openedFiles.push_back(OpenedFile{toNarrow(path), line});
    return S_OK;
}

HRESULT CliWorks::OpenFile(const Bstr& path, long) {
    m_openedFiles.push_back(OpenedFile{toNarrow(path), 0});
    return S_OK;
}

HRESULT CliWorks::AddOutputMessage(const Bstr& text, long kind) {
    const std::string line = toNarrow(text);
    ++m_outputLines;
    if (isFailureLine(line)) {
        m_failureSeen = true;
    }
    const char* colour = m_colour ? colourOf(kind) : nullptr;
    if (colour != nullptr) {
        m_output << colour << line << "\033[0m\n";
    } else {
        m_output << line << '\n';
    }
    // No flush per line: a terminal shows each line as it comes by itself, and a file or pipe
    // gets the output in large writes; the message pump flushes whenever the tools pause.
    return S_OK;
}

HRESULT CliWorks::GetObjectFileState(std::int16_t* state) {
    if (state == nullptr) {
        return E_POINTER;
    }
    *state = m_objectFileState;
    return S_OK;
}

HRESULT CliWorks::ShowHelp(const Bstr& request) {
    m_messages << "help: " << toNarrow(request) << '\n';
    m_messages.flush();
    return S_OK;
}

HRESULT CliWorks::SetCommandState(long command, long state) {
    m_commandStates[command] = state;
    return S_OK;
}

HRESULT CliWorks::GetStudioDirectory(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    *path = toWide(m_studioDirectory);
    return S_OK;
}

HRESULT CliWorks::ClearOutput() {
    // Lines already printed stay; a terminal keeps its history. The run is judged, as in the
    // IDE's output window, by what follows: a rebuild's clean of a project never built before
    // does not fail the build that comes after it.
    m_failureSeen = false;
    return S_OK;
}

HRESULT CliWorks::LoadObjectFile() {
    ++m_loadObjectFileCalls;
    return S_OK;
}

HRESULT CliWorks::IsFileOpen(const Bstr&, std::int16_t* open) {
    if (open == nullptr) {
        return E_POINTER;
    }
    *open = 0;
    return S_OK;
}

} // namespace avrtazu
