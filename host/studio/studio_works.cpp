#include "studio/studio_works.h"

#include "studio/editor_area.h"
#include "studio/file_editor.h"
#include "studio/help_viewer.h"
#include "studio/output_pane.h"

#include "lib/project_document.h"
#include "platform/drive_map.h"
#include "platform/toolchain_contract.h"
#include "plugin/plugin_module.h"
#include "plugin/source_line_reference.h"

#include <QApplication>
#include <QDockWidget>
#include <QMainWindow>
#include <QScreen>

namespace avrtazu {

namespace {

// The width the plug-in's left window starts with: room for a project tree.
constexpr int kDockWidth = 260;
const QString kHelpWindowName = QStringLiteral("help-window");

std::string windowsFolder(const std::string& linuxFolder) {
    std::string folder = DriveMap::toWindows(linuxFolder);
    if (folder.empty() || folder.back() != '\\') {
        folder.push_back('\\');
    }
    return folder;
}

Qt::DockWidgetArea areaOf(const std::string& side) {
    if (side == "right") {
        return Qt::RightDockWidgetArea;
    }
    if (side == "top") {
        return Qt::TopDockWidgetArea;
    }
    if (side == "bottom") {
        return Qt::BottomDockWidgetArea;
    }
    return Qt::LeftDockWidgetArea;
}

std::string baseName(const std::string& windowsPath) {
    const std::size_t slash = windowsPath.find_last_of("\\/");
    return slash == std::string::npos ? windowsPath : windowsPath.substr(slash + 1);
}

} // namespace

StudioWorks::StudioWorks(QMainWindow& window, EditorArea& editors, OutputPane& output,
                         HelpViewer& help, const std::string& studioFolder)
    : m_window(window), m_editors(editors), m_output(output), m_help(help),
      m_studioDirectory(windowsFolder(studioFolder)) {}

StudioWorks::~StudioWorks() = default;

std::string StudioWorks::linuxPath(const Bstr& windowsPath) {
    const std::string path = toNarrow(windowsPath);
    return path.empty() ? std::string() : DriveMap::toLinux(path);
}

void StudioWorks::changed(Change change) {
    if (m_changed) {
        m_changed(change);
    }
}

void StudioWorks::note(long level, const std::string& text) {
    if (m_note) {
        m_note(level, text);
    }
}

void StudioWorks::objectFileBuilt(const std::string& path) {
    m_objectFile = ObjectFile{path, true, false};
    changed(Change::ObjectFile);
}

void StudioWorks::objectFileDirty() {
    m_objectFile.upToDate = false;
    changed(Change::ObjectFile);
}

void StudioWorks::forgetObjectFile() {
    m_objectFile = ObjectFile{};
    changed(Change::ObjectFile);
}

std::string StudioWorks::objectFileText() const {
    if (m_objectFile.path.empty()) {
        return {};
    }
    std::string text = "Object file " + baseName(m_objectFile.path);
    if (!m_objectFile.upToDate) {
        text += " (out of date)";
    } else if (m_objectFile.loaded) {
        text += " (loaded)";
    }
    return text;
}

long StudioWorks::commandState(long command) const {
    const auto state = m_commandStates.find(command);
    return state == m_commandStates.end() ? -1 : state->second;
}

std::vector<QDockWidget*> StudioWorks::docks() const {
    std::vector<QDockWidget*> alive;
    for (const QPointer<QDockWidget>& dock : m_docks) {
        if (dock) {
            alive.push_back(dock.data());
        }
    }
    return alive;
}

void StudioWorks::removeDocks() {
    for (QDockWidget* dock : docks()) {
        m_window.removeDockWidget(dock);
        delete dock;
    }
    m_docks.clear();
}

HRESULT StudioWorks::CloseFile(const Bstr& path) {
    // The plug-in closes a file before it renames, removes or deletes it: the user may keep
    // the edits, but the editor closes either way.
    m_editors.closeEditor(m_editors.find(linuxPath(path)), EditorArea::Question::SaveDiscard);
    return S_OK;
}

HRESULT StudioWorks::GetActiveFile(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    const FileEditor* editor = m_editors.currentEditor();
    *path = editor == nullptr ? Bstr() : toWide(DriveMap::toWindows(editor->path()));
    return S_OK;
}

HRESULT StudioWorks::AddSourceFile(const Bstr&, long* result) {
    if (result != nullptr) {
        *result = 0;
    }
    return S_OK;
}

HRESULT StudioWorks::CreateDockWindow(const Bstr& title, const Bstr& anchor, const Bstr& side, long,
                                      long iconResourceId, void* moduleInstance,
                                      WindowHandle* window) {
    if (window == nullptr) {
        return E_POINTER;
    }
    const QString name = QString::fromStdWString(title);
    auto* dock = new QDockWidget(name, &m_window);
    dock->setObjectName(QStringLiteral("plugin-dock:") + name);
    if (moduleInstance != nullptr && moduleInstance == PluginModule::instance().handle()) {
        dock->setWindowIcon(static_cast<PluginModule*>(moduleInstance)->icon(iconResourceId));
    }
    auto* client = new QWidget(dock);
    dock->setWidget(client);
    m_window.addDockWidget(areaOf(toNarrow(side)), dock);
    // A window of the anchor's name takes the new one in as a tab, as the IDE does.
    const QString anchorName = QString::fromStdWString(anchor);
    for (QDockWidget* other : m_window.findChildren<QDockWidget*>()) {
        if (other != dock && other->windowTitle() == anchorName &&
            m_window.dockWidgetArea(other) == m_window.dockWidgetArea(dock)) {
            m_window.tabifyDockWidget(other, dock);
            break;
        }
    }
    m_window.resizeDocks({dock}, {kDockWidth}, Qt::Horizontal);
    dock->show();
    m_docks.emplace_back(dock);
    *window = client;
    return S_OK;
}

HRESULT StudioWorks::GetProjectDirectory(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    const ProjectDocument* document = m_documentSource ? m_documentSource() : nullptr;
    if (document == nullptr || !document->isOpen()) {
        path->clear();
        return E_FAIL;
    }
    *path = toWide(document->windowsFolder());
    return S_OK;
}

HRESULT StudioWorks::GetInitialFileName(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    *path = toWide(m_initialFile);
    return S_OK;
}

HRESULT StudioWorks::OpenFileAtLine(const Bstr& path, long line, long) {
    const std::string file = linuxPath(path);
    std::string error = "Cannot open " + toNarrow(path) + ": it is on no drive of this system";
    FileEditor* editor = file.empty() ? nullptr : m_editors.openFile(file, &error);
    if (editor == nullptr) {
        note(1, error);
        return E_FAIL;
    }
    editor->goToLine(line);
    return S_OK;
}

HRESULT StudioWorks::OpenFile(const Bstr& path, long) {
    const std::string file = linuxPath(path);
    std::string error = "Cannot open " + toNarrow(path) + ": it is on no drive of this system";
    if (file.empty() || m_editors.openFile(file, &error) == nullptr) {
        note(1, error);
        return E_FAIL;
    }
    return S_OK;
}

HRESULT StudioWorks::AddOutputMessage(const Bstr& text, long kind) {
    m_output.addLine(QString::fromStdWString(text), kind);
    markDiagnostic(toNarrow(text));
    return S_OK;
}

void StudioWorks::markDiagnostic(const std::string& line) {
    const bool error = line.find(toolchain_contract::kErrorMarker) != std::string::npos;
    if (!error && line.find(toolchain_contract::kWarningMarker) == std::string::npos) {
        return;
    }
    // The mark goes where the jump from this line lands.
    const std::optional<SourceLineReference> place = SourceLineReference::parse(line);
    const ProjectDocument* document = m_documentSource ? m_documentSource() : nullptr;
    if (!place || document == nullptr || !document->isOpen()) {
        return;
    }
    const std::string file = DriveMap::toLinux(document->windowsFolder() + place->fileName);
    if (file.empty()) {
        return;
    }
    const std::size_t close = line.find("):");
    QString said =
        QString::fromLocal8Bit(close == std::string::npos ? line : line.substr(close + 2))
            .trimmed();
    said.remove(QStringLiteral("[warning]"));
    m_editors.addDiagnostic(
        file, {static_cast<int>(place->line), error,
               (error ? QStringLiteral("Error: ") : QStringLiteral("Warning: ")) + said.trimmed()});
}

HRESULT StudioWorks::GetObjectFileState(std::int16_t* state) {
    if (state == nullptr) {
        return E_POINTER;
    }
    // 1: the studio holds an object file that a change of the options makes out of date.
    *state = m_objectFile.path.empty() ? 0 : 1;
    return S_OK;
}

HRESULT StudioWorks::ShowHelp(const Bstr& request) {
    const HelpViewer::Result result = m_help.showRequest(toNarrow(request));
    if (result == HelpViewer::Result::UnknownTopic) {
        note(1, "The help has no page on this topic: " + toNarrow(request));
    }
    // A modal dialog that asks for help keeps the main window out of reach until it closes:
    // the help comes up in a window of the dialog's own, in front of it.
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != &m_window) {
        auto* viewer = modal->findChild<HelpViewer*>(kHelpWindowName);
        if (viewer == nullptr) {
            viewer = new HelpViewer(modal);
            viewer->setObjectName(kHelpWindowName);
            viewer->setWindowFlag(Qt::Window);
            viewer->setWindowTitle(QStringLiteral("Help"));
            viewer->resize(QSize(560, 480).boundedTo(modal->screen()->availableSize()));
            // Over the dialog, a little down and right: it is in front of what asked for it.
            viewer->move(modal->geometry().center() - viewer->rect().center() + QPoint(40, 30));
        }
        viewer->showRequest(toNarrow(request));
        viewer->show();
        viewer->raise();
        viewer->activateWindow();
    }
    changed(Change::Help);
    return result == HelpViewer::Result::NotARequest ? E_INVALIDARG : S_OK;
}

HRESULT StudioWorks::SetCommandState(long command, long state) {
    m_commandStates[command] = state;
    changed(Change::CommandState);
    return S_OK;
}

HRESULT StudioWorks::GetStudioDirectory(Bstr* path) {
    if (path == nullptr) {
        return E_POINTER;
    }
    *path = toWide(m_studioDirectory);
    return S_OK;
}

HRESULT StudioWorks::ClearOutput() {
    m_output.clearLines();
    m_editors.clearDiagnostics();
    changed(Change::OutputCleared);
    return S_OK;
}

HRESULT StudioWorks::LoadObjectFile() {
    if (m_objectFile.path.empty() || !m_objectFile.upToDate) {
        note(1, "No object file to load: the last build did not write one.");
        return E_FAIL;
    }
    m_objectFile.loaded = true;
    note(0, "Object file " + m_objectFile.path + " loaded");
    changed(Change::ObjectFile);
    return S_OK;
}

HRESULT StudioWorks::IsFileOpen(const Bstr& path, std::int16_t* open) {
    if (open == nullptr) {
        return E_POINTER;
    }
    const std::string file = linuxPath(path);
    *open = !file.empty() && m_editors.find(file) != nullptr ? 1 : 0;
    return S_OK;
}

} // namespace avrtazu
