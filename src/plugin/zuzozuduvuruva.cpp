#include "plugin/zuzozuduvuruva.h"

#include "plugin/new_project_setup.h"
#include "plugin/options_change.h"
#include "plugin/options_context.h"
#include "plugin/plugin_module.h"
#include "plugin/source_line_reference.h"

#include "model/source_file.h"
#include "platform/file_status_memo.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/text_case.h"
#include "services/gui_works.h"
#include "services/output_directory.h"
#include "services/plugin_hub.h"

#include <QLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <cctype>
#include <list>
#include <optional>
#include <pugixml.hpp>
#include <sstream>
#include <string_view>

namespace avrtazu {

namespace {

std::string helpRequest(const std::string& topic) {
    return "<SHOW_HELP><FILE>avr-tazu_pluginhelp</FILE><TOPIC>" + topic + "</TOPIC></SHOW_HELP>";
}

constexpr const char* kUtf8ByteOrderMark = "\xEF\xBB\xBF";

} // namespace

Zuzozuduvuruva::Zuzozuduvuruva() : m_name(toWide(kName)), m_driver(m_project, nullptr) {}

Zuzozuduvuruva::~Zuzozuduvuruva() {
    try {
        destroyWindows();
    } catch (...) {
        // Nothing can be reported while the object goes away.
    }
}

PlugInUtility& Zuzozuduvuruva::utility() {
    return m_utility != nullptr ? *m_utility : PlugInUtility::instance();
}

IPluginHub* Zuzozuduvuruva::hub() {
    return m_hub != nullptr ? m_hub : utility().hub();
}

BuildDriver& Zuzozuduvuruva::buildDriver() {
    // The tree may have gone with the host's window since the last command.
    m_driver.setTree(m_tree.data());
    return m_driver;
}

HRESULT Zuzozuduvuruva::guarded(HRESULT failure, const std::function<HRESULT()>& operation) {
    const auto report = [this](const char* message) {
        try {
            utility().logError(message);
        } catch (...) {
            // The log is the last place an error can go.
        }
    };
    try {
        return operation();
    } catch (const std::exception& error) {
        report(error.what());
    } catch (...) {
        report("Unexpected failure in the compiler plug-in");
    }
    return failure;
}

HRESULT Zuzozuduvuruva::GetSetup(Bstr* setup) {
    if (setup == nullptr) {
        return E_POINTER;
    }
    return guarded(E_FAIL, [&]() -> HRESULT {
        const RegistryValue directory =
            Registry::readString(kSetupRegistryKey, kSetupRegistryValue);
        // A value that does not fit the buffer cannot be read at all.
        if (!directory.ok() || directory.value.size() + 1 > kSetupPathBuffer) {
            return E_NOTIMPL;
        }
        const std::string path = directory.value + "\\" + kSetupFileName;
        if (!FileSystem::fileExists(path)) {
            return E_NOTIMPL;
        }
        const std::optional<std::string> content = FileSystem::readFile(path);
        if (!content) {
            return E_FAIL;
        }
        pugi::xml_document document;
        const pugi::xml_parse_result parsed = document.load_buffer(
            content->data(), content->size(), pugi::parse_full | pugi::parse_ws_pcdata);
        if (!parsed) {
            return E_FAIL;
        }
        // The file is the host's business: give it back as it was written. Text in another
        // encoding than UTF-8 comes back re-encoded by the parser.
        std::string text;
        if (parsed.encoding == pugi::encoding_utf8) {
            text = *content;
            if (text.rfind(kUtf8ByteOrderMark, 0) == 0) {
                text.erase(0, std::string_view(kUtf8ByteOrderMark).size());
            }
        } else {
            std::ostringstream serialized;
            document.save(serialized, "", pugi::format_raw | pugi::format_no_declaration,
                          pugi::encoding_utf8);
            text = serialized.str();
        }
        *setup = toWide(text);
        return S_OK;
    });
}

HRESULT Zuzozuduvuruva::Init(IGuiWorks* host) {
    return guarded(E_FAIL, [&]() -> HRESULT {
        m_host = host;
        if (m_host != nullptr) {
            m_host->SetCommandState(kLibraryHelp, kCommandDisabled);
        }
        m_utility = &PlugInUtility::instance();
        m_hub = m_utility->hub();
        createTree();
        m_utility->setHost(host);
        if (m_host != nullptr && !m_utility->helpFile().empty() &&
            FileSystem::fileExists(m_utility->helpFile())) {
            m_host->SetCommandState(kLibraryHelp, kCommandEnabled);
        }
        return S_OK;
    });
}

HRESULT Zuzozuduvuruva::SaveFile(const Bstr& /*fileName*/, long* ok) {
    // The project lives in the host's document, which the save events write.
    if (ok != nullptr) {
        *ok = 1;
    }
    return S_OK;
}

HRESULT Zuzozuduvuruva::Close() {
    guarded(S_OK, [&] {
        destroyWindows();
        return S_OK;
    });
    guarded(S_OK, [&] {
        m_xml.removeSections();
        return S_OK;
    });
    guarded(S_OK, [&] {
        // A project that was never opened has no part to clear.
        if (!m_project.configs().empty()) {
            try {
                m_project.setPart("");
            } catch (const std::exception& error) {
                utility().logDebug("Zuzozuduvuruva::Close()", error.what());
            }
        }
        if (IPluginHub* pluginHub = hub()) {
            pluginHub->SetPartName(Bstr());
        }
        return S_OK;
    });
    return S_OK;
}

HRESULT Zuzozuduvuruva::ExecuteCommand(long command) {
    const HRESULT result = guarded(E_FAIL, [&] { return runCommand(command); });
    if (command >= kBuild && command <= kClean) {
        guarded(S_OK, [&] {
            refreshTree();
            return S_OK;
        });
    }
    return result;
}

HRESULT Zuzozuduvuruva::runCommand(long command) {
    switch (command) {
    case kBuild:
        return buildDriver().BuildProject();
    case kBuildAndLoad: {
        const HRESULT result = buildDriver().BuildProject();
        refreshTree();
        if (host() != nullptr) {
            host()->LoadObjectFile();
        }
        return result;
    }
    case kRebuild:
        buildDriver().cleanProject();
        buildDriver().BuildProject();
        return E_FAIL;
    case kCompileFile:
        return buildDriver().compileFile();
    case kClean:
        return buildDriver().cleanProject();
    case kOptions:
        return changeOptions();
    case kExportMakefile:
        return buildDriver().exportMakefile();
    case kHelp:
        showHelp("");
        return E_FAIL;
    case kLibraryHelp:
        openLibraryHelp();
        return E_FAIL;
    default:
        return E_FAIL;
    }
}

HRESULT Zuzozuduvuruva::HandleEvent(long event, const Bstr& text) {
    guarded(S_OK, [&] {
        runEvent(event, toNarrow(text));
        return S_OK;
    });
    return S_OK;
}

void Zuzozuduvuruva::runEvent(long event, const std::string& text) {
    switch (event) {
    case kDebugPartSelected:
        compareDebugPart(text);
        break;
    case kSaveProject:
        m_xml.projectToXML(m_project);
        break;
    case kSaveProjectAndClearOutput:
    case kSaveProjectAndClearOutputLate:
        m_xml.projectToXML(m_project);
        if (host() != nullptr) {
            host()->ClearOutput();
        }
        break;
    case kNewProject:
        OptionsChange::setNewProject(true);
        newProjectSetup();
        break;
    case kJumpToSourceLine:
        jumpToSourceLine(text);
        break;
    case kObjectFileDirty:
        buildDriver().BuildProject();
        refreshTree();
        if (host() != nullptr) {
            host()->LoadObjectFile();
        }
        break;
    case kShowHelp:
        showHelp("introduction");
        break;
    case kProjectOpened:
        projectOpened();
        break;
    default:
        break;
    }
}

void Zuzozuduvuruva::makeTarget(const std::string& target) {
    guarded(S_OK, [&] {
        buildDriver().makeTarget(target);
        return S_OK;
    });
}

void Zuzozuduvuruva::saveProject() {
    guarded(S_OK, [&] { return m_xml.projectToXML(m_project); });
}

HRESULT Zuzozuduvuruva::changeOptions() {
    return OptionsChange(optionsContext()).changeOptions();
}

void Zuzozuduvuruva::newProjectSetup() {
    NewProjectSetup(optionsContext(), [this] { return setupWindows(); }).run();
}

void Zuzozuduvuruva::addFileToProject(const std::string& path) {
    guarded(S_OK, [&] {
        optionsContext().addFileToProject(path);
        return S_OK;
    });
}

OptionsContext Zuzozuduvuruva::optionsContext() {
    return OptionsContext(m_project, m_xml, utility(), [this] { return m_tree.data(); });
}

void Zuzozuduvuruva::createTree() {
    if (!m_tree) {
        m_tree = new CProjectTree(m_project, *this);
    }
    m_driver.setTree(m_tree.data());
}

HRESULT Zuzozuduvuruva::setupWindows() {
    if (m_windowsCreated) {
        return S_OK;
    }
    // A docked window that came before a failed tree is used again, not asked for twice.
    if (!m_dockWindow) {
        if (host() == nullptr) {
            return E_FAIL;
        }
        WindowHandle window = nullptr;
        const HRESULT result = host()->CreateDockWindow(
            toWide(kDockTitle), toWide(kDockAnchor), toWide(kDockSide), kDockFlags,
            PluginModule::kDockIconResourceId, PluginModule::instance().handle(), &window);
        if (FAILED(result) || window == nullptr) {
            return E_FAIL;
        }
        m_dockWindow = static_cast<QWidget*>(window);
    }

    try {
        createTree();
        m_tree->createWindow(m_dockWindow.data(), CProjectTree::kControlId);
        // The tree fills the client area whatever size the host gives it.
        QLayout* layout = m_dockWindow->layout();
        if (layout == nullptr) {
            layout = new QVBoxLayout(m_dockWindow.data());
            layout->setContentsMargins(0, 0, 0, 0);
            layout->setSpacing(0);
        }
        layout->addWidget(m_tree.data());
    } catch (const std::exception& error) {
        utility().logDebug("Zuzozuduvuruva::setupWindows()", error.what());
        return E_FAIL;
    }

    m_tree->show();
    m_tree->initialize();
    m_windowsCreated = true;
    return S_OK;
}

void Zuzozuduvuruva::destroyWindows() {
    m_driver.setTree(nullptr);
    delete m_tree.data();
    m_tree = nullptr;
    // The docked window is the host's: it is only let go.
    m_dockWindow = nullptr;
    m_windowsCreated = false;
}

void Zuzozuduvuruva::refreshTree() {
    if (m_tree) {
        // The refill only looks: a big project's folders are read once, not once per file.
        const FileStatusMemo seenOnce;
        m_tree->updateControlDataFromProject();
    }
}

void Zuzozuduvuruva::projectOpened() {
    // The tree, the missing-file check and the object's age each look at every file.
    const FileStatusMemo seenOnce;
    m_xml.makeStructure();
    m_xml.XMLToProject(m_project);

    if (host() != nullptr) {
        Bstr directory;
        if (SUCCEEDED(host()->GetProjectDirectory(&directory))) {
            m_project.setHomePath(toNarrow(directory));
        }
    }
    if (m_project.usesTazuAvr()) {
        m_project.setTazuLocation(utility().compilerDirectory());
        m_project.setMakeLocation(utility().makeDirectory());
    }

    const bool windowsExisted = m_windowsCreated;
    if (FAILED(setupWindows())) {
        utility().logError("Failed to set up plug-in windows");
    } else if (windowsExisted) {
        refreshTree();
    }

    checkProjectFiles();
    if (objectFileUpToDate()) {
        if (IPluginHub* pluginHub = hub()) {
            pluginHub->SendEvent(kEventObjectFile, toWide(objectFilePath()));
        }
    }
    buildDriver().publishProjectFiles();
    m_xml.projectToXML(m_project);
}

void Zuzozuduvuruva::checkProjectFiles() {
    const std::string home = m_project.homePath();
    for (const std::list<SourceFile>* files : {&m_project.hdrFiles(), &m_project.srcFiles()}) {
        for (const SourceFile& file : *files) {
            const std::string path = file.absoluteName(home);
            if (!FileSystem::fileExists(path)) {
                utility().logError("The project file " + path + " does not exist.");
            }
        }
    }
}

std::string Zuzozuduvuruva::objectFilePath() const {
    return outputDirectory(m_project) + m_project.outputFileName();
}

bool Zuzozuduvuruva::objectFileUpToDate() const {
    const std::time_t objectTime = FileSystem::modificationTime(objectFilePath()).value_or(0);
    const std::string home = m_project.homePath();
    const auto anyNewer = [&](const std::list<SourceFile>& files) {
        return std::any_of(files.begin(), files.end(), [&](const SourceFile& file) {
            return FileSystem::modificationTime(file.absoluteName(home)).value_or(0) > objectTime;
        });
    };
    return !anyNewer(m_project.srcFiles()) && !anyNewer(m_project.hdrFiles());
}

void Zuzozuduvuruva::jumpToSourceLine(const std::string& text) {
    const std::optional<SourceLineReference> reference = SourceLineReference::parse(text);
    if (!reference || host() == nullptr) {
        return;
    }
    Bstr directory;
    if (FAILED(host()->GetProjectDirectory(&directory))) {
        return;
    }
    host()->OpenFileAtLine(directory + toWide(reference->fileName), reference->line, 0);
}

void Zuzozuduvuruva::compareDebugPart(const std::string& debugPart) {
    const std::string part = m_project.part();
    if (!TextCase::equalIgnoringCase(part, debugPart)) {
        utility().logWarning("Part name selected for compilation is " + part +
                             ", while partname selected for debugging is " + debugPart + ".");
    }
}

void Zuzozuduvuruva::showHelp(const std::string& topic) {
    if (host() != nullptr) {
        host()->ShowHelp(toWide(helpRequest(topic)));
    }
}

void Zuzozuduvuruva::openLibraryHelp() {
    if (Shell::open(utility().helpFile()) == Shell::fileNotFound) {
        utility().logError("Failed to find avr-libc help file.. Check your TAZUAVR installation");
    }
}

} // namespace avrtazu
