#include "host_test_support.h"

#include "plugin/registration.h"

#include "services/object_registry.h"
#include "services/plug_in_utility.h"
#include "services/plugin_hub.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>

namespace avrtazu::test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "avrtazu-host-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

std::string TempFolder::write(const std::string& relative, const std::string& content) const {
    const fs::path path = fs::path(m_path) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "<missing>";
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> folderEntries(const std::string& path) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string sampleProject(const std::string& name) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<AVRStudio>\n"
           "\t<MANAGEMENT>\n"
           "\t\t<ProjectName>" +
           name +
           "</ProjectName>\n"
           "\t\t<Created>05-Dec-2024 10:00:00</Created>\n"
           "\t</MANAGEMENT>\n"
           "\t<CODE_CREATION>\n"
           "\t\t<SaveFolder>C:\\old\\place\\</SaveFolder>\n"
           "\t</CODE_CREATION>\n"
           "\t<AVRTAZUPLUGIN>\n"
           "\t\t<LASTCONFIG>default</LASTCONFIG>\n"
           "\t</AVRTAZUPLUGIN>\n"
           "</AVRStudio>\n";
}

namespace {

class FakePlugin : public IGuiPlugin {
public:
    explicit FakePlugin(std::shared_ptr<FakePluginScript> script) : m_script(std::move(script)) {}

    HRESULT GetSetup(Bstr* setup) override {
        m_script->calls.push_back("GetSetup");
        if (FAILED(m_script->setupResult)) {
            return m_script->setupResult;
        }
        *setup = L"<AVRSTUDIO_PLUGIN/>";
        return S_OK;
    }

    HRESULT ExecuteCommand(long command) override {
        m_script->calls.push_back("ExecuteCommand " + std::to_string(command));
        Bstr active;
        m_host->GetActiveFile(&active);
        m_script->activeFile = toNarrow(active);
        for (const FakePluginScript::Line& line : m_script->commandOutput) {
            m_host->AddOutputMessage(toWide(line.text), line.kind);
        }
        log(m_script->commandLog);
        if (!m_script->objectFile.empty()) {
            hub().SendEvent(kEventObjectFile, toWide(m_script->objectFile));
        }
        if (m_script->duringCommand) {
            m_script->duringCommand();
        }
        return m_script->commandResult;
    }

    HRESULT HandleEvent(long event, const Bstr&) override {
        m_script->calls.push_back("HandleEvent " + std::to_string(event));
        if (event == 101) {
            Bstr value;
            hub().GetProjectValue(L"MANAGEMENT", L"ProjectName", &value);
            m_script->projectName = toNarrow(value);
            m_host->GetProjectDirectory(&value);
            m_script->projectDirectory = toNarrow(value);
            log(m_script->loadLog);
        } else if (event == 12) {
            pugi::xml_node section = document()->document_element().child("AVRTAZUPLUGIN");
            section.remove_child("SAVED");
            section.append_child("SAVED").text().set("yes");
            log(m_script->saveLog);
        }
        return S_OK;
    }

    HRESULT Init(IGuiWorks* host) override {
        m_script->calls.push_back("Init");
        m_host = host;
        PlugInUtility::instance().setHost(host);
        Bstr studio;
        host->GetStudioDirectory(&studio);
        m_script->studioDirectory = toNarrow(studio);
        return S_OK;
    }

    HRESULT SaveFile(const Bstr&, long* ok) override {
        *ok = 1;
        return S_OK;
    }

    HRESULT Close() override {
        m_script->calls.push_back("Close");
        pugi::xml_node root = document()->document_element();
        m_script->nameAtClose = root.child("MANAGEMENT").child("ProjectName").text().get();
        for (const char* section : {"MANAGEMENT", "CODE_CREATION", "AVRTAZUPLUGIN"}) {
            root.remove_child(section);
        }
        return S_OK;
    }

private:
    static IPluginHub& hub() { return *PlugInUtility::instance().hub(); }

    static pugi::xml_document* document() {
        void* object = nullptr;
        hub().GetSharedObject(L"XMLPROJECT", std::string(kXmlDomDocumentInterfaceId), &object);
        return static_cast<pugi::xml_document*>(object);
    }

    static void log(const std::vector<FakePluginScript::LogLine>& lines) {
        PlugInUtility& utility = PlugInUtility::instance();
        for (const FakePluginScript::LogLine& line : lines) {
            switch (line.level) {
            case 0:
                utility.logInfo(line.message);
                break;
            case 1:
                utility.logWarning(line.message);
                break;
            case 2:
                utility.logError(line.message);
                break;
            default:
                utility.logDebug("Fake::step()", line.message);
                break;
            }
        }
    }

    std::shared_ptr<FakePluginScript> m_script;
    IGuiWorks* m_host = nullptr;
};

} // namespace

FakePluginInstallation::FakePluginInstallation() {
    PlugInUtility::resetForTesting();
    PlugInUtility::setToolchainLocator(nullptr);
    ObjectRegistry::instance().registerClass<IGuiPlugin>(
        plugin_registration::kClassId, plugin_registration::kGuiPluginInterfaceId,
        std::function<std::shared_ptr<IGuiPlugin>()>(
            [script = m_script] { return std::make_shared<FakePlugin>(script); }));
}

FakePluginInstallation::~FakePluginInstallation() {
    PlugInUtility::resetForTesting();
    ObjectRegistry::instance().unregisterClass(plugin_registration::kClassId);
    ObjectRegistry::instance().unregisterClass(kPluginHubClassId);
}

} // namespace avrtazu::test
