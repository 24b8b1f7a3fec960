#include "studio_test_support.h"

#include "services/plug_in_utility.h"

#include "plugin/registration.h"

#include "platform/dialog_service.h"
#include "platform/registry.h"
#include "services/object_registry.h"
#include "services/plugin_hub.h"
#include "services/toolchain_locator.h"
#include "ui/modal_runner.h"

#include <QDialog>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>
#include <stdexcept>

namespace avrtazu::test {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "avrtazu-studio-XXXXXX").string();
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

std::string plainProject(const std::string& name) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<AVRStudio>\n"
           "\t<MANAGEMENT>\n"
           "\t\t<ProjectName>" +
           name +
           "</ProjectName>\n"
           "\t</MANAGEMENT>\n"
           "\t<AVRTAZUPLUGIN />\n"
           "</AVRStudio>\n";
}

std::string copyBlinkExample(const std::string& folder) {
    const fs::path target = fs::path(folder) / "blink";
    fs::create_directories(target);
    for (const char* name : {"blink.aps", "main.c", "uart.c", "uart.h"}) {
        fs::copy_file(fs::path(StudioEnvironment::sourceFolder()) / "examples" / "blink" / name,
                      target / name, fs::copy_options::overwrite_existing);
    }
    return (target / "blink.aps").string();
}

namespace {

pugi::xml_document* hostDocument() {
    void* object = nullptr;
    IPluginHub* hub = PlugInUtility::instance().hub();
    if (hub == nullptr || FAILED(hub->GetSharedObject(
                              L"XMLPROJECT", std::string(kXmlDomDocumentInterfaceId), &object))) {
        return nullptr;
    }
    return static_cast<pugi::xml_document*>(object);
}

class FakePlugin : public IGuiPlugin {
public:
    explicit FakePlugin(std::shared_ptr<FakePluginScript> script) : m_script(std::move(script)) {
        m_script->documentAtCreation = hostDocument() != nullptr;
    }

    HRESULT GetSetup(Bstr* setup) override {
        m_script->calls.push_back("GetSetup");
        *setup = L"<AVRSTUDIO_PLUGIN/>";
        return S_OK;
    }

    HRESULT ExecuteCommand(long command) override {
        m_script->calls.push_back("Command " + std::to_string(command));
        if (m_script->onCommand) {
            m_script->onCommand(command);
        }
        return S_OK;
    }

    HRESULT HandleEvent(long event, const Bstr& text) override {
        m_script->calls.push_back("Event " + std::to_string(event) +
                                  (text.empty() ? "" : " " + toNarrow(text)));
        if (event == 12) {
            pugi::xml_node section = hostDocument()->document_element().child("AVRTAZUPLUGIN");
            section.remove_child("STATE");
            section.append_child("STATE").text().set(m_script->state);
        } else if (event == 101 && !m_script->errorWhileReading.empty()) {
            PlugInUtility::instance().logError(m_script->errorWhileReading);
        } else if (event == 56) {
            Bstr initial;
            m_script->host->GetInitialFileName(&initial);
            m_script->initialFile = toNarrow(initial);
        }
        return S_OK;
    }

    HRESULT Init(IGuiWorks* host) override {
        m_script->calls.push_back("Init");
        m_script->host = host;
        PlugInUtility::instance().setHost(host);
        return S_OK;
    }

    HRESULT SaveFile(const Bstr&, long* ok) override {
        *ok = 1;
        return S_OK;
    }

    HRESULT Close() override {
        m_script->calls.push_back("Close");
        pugi::xml_node root = hostDocument()->document_element();
        for (const char* section : {"MANAGEMENT", "CODE_CREATION", "AVRTAZUPLUGIN"}) {
            root.remove_child(section);
        }
        return S_OK;
    }

private:
    std::shared_ptr<FakePluginScript> m_script;
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
    PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
    registerPluginClass();
}

StudioEnvironment::StudioEnvironment() {
    PlugInUtility::resetForTesting();
    PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
    Registry::setFile(binFolder() + "/avrtazu.reg");
    registerPluginClass();
    DialogService::install(&dialogs);
    ModalRunner::setUnattended(true);
    ModalRunner::setHook([this](QDialog& dialog) {
        modalTitles.push_back(dialog.windowTitle().toStdString());
        modalClasses.push_back(dialog.metaObject()->className());
        // A sheet that keeps coming back would never let the test end.
        if (modalTitles.size() > 20) {
            throw std::runtime_error("a dialog keeps coming back: " + modalTitles.back());
        }
        dialog.accept();
        return dialog.result();
    });
}

StudioEnvironment::~StudioEnvironment() {
    ModalRunner::setHook({});
    ModalRunner::setUnattended(false);
    DialogService::install(nullptr);
    Registry::setFile("");
    PlugInUtility::resetForTesting();
}

std::string StudioEnvironment::binFolder() {
    return AVRTAZU_TEST_BIN_DIR;
}

std::string StudioEnvironment::sourceFolder() {
    return AVRTAZU_TEST_SOURCE_DIR;
}

} // namespace avrtazu::test
