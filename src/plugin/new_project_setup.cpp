#include "services/plug_in_utility.h"

#include "plugin/new_project_setup.h"

#include "build/build_driver.h"
#include "model/device_catalog.h"
#include "model/project.h"
#include "persistence/project_xml_handler.h"
#include "platform/dialog_service.h"
#include "platform/file_system.h"
#include "platform/text_case.h"
#include "plugin/options_change.h"
#include "services/bstr.h"
#include "services/gui_works.h"
#include "services/plugin_hub.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace avrtazu {

NewProjectSetup::NewProjectSetup(OptionsContext context, WindowSetup setupWindows)
    : m_context(std::move(context)), m_setupWindows(std::move(setupWindows)) {}

std::string NewProjectSetup::partForDebuggerDevice(const std::string& debuggerPart) {
    if (debuggerPart.empty()) {
        return "Custom";
    }
    const std::string part = TextCase::lower(debuggerPart);
    return part == "atmega128" ? kAtmega128 : part;
}

bool NewProjectSetup::isSupported(const std::string& part) {
    const std::string wanted = TextCase::lower(part);
    for (int row = 0; row < DeviceCatalog::deviceCount; ++row) {
        const std::string& name = DeviceCatalog::device(row).name;
        if (TextCase::lower(name) == wanted) {
            return true;
        }
        if (name == kLastCheckedDevice) {
            break;
        }
    }
    return false;
}

std::string NewProjectSetup::notSupportedMessage(const std::string& part) {
    return "\"" + part + kNotSupportedEnd;
}

void NewProjectSetup::run() {
    Project& project = m_context.project();
    ProjectXmlHandler& xml = m_context.xml();

    xml.makeStructure();
    xml.XMLToProject(project);
    readHostState();

    if (!m_setupWindows || FAILED(m_setupWindows())) {
        m_context.utility().logError(kWindowsFailed);
    }
    addInitialFile();
    project.setDirty(false);
    checkDevice();

    BuildDriver(project, nullptr).publishProjectFiles();
    m_context.saveProject();

    // Through the setter once more, so that the directory gets its trailing backslash.
    project.setOutputDirectory(project.outputDir());
    project.setOptionTabIndex(kTargetPage);
    OptionsChange(m_context).changeOptions();
}

void NewProjectSetup::readHostState() {
    Project& project = m_context.project();
    PlugInUtility& utility = m_context.utility();
    // Whatever the project says about the installed compiler: a new project starts with it.
    project.setMakeLocation(utility.makeDirectory());
    project.setTazuLocation(utility.compilerDirectory());
    if (IGuiWorks* host = utility.host()) {
        Bstr directory;
        if (SUCCEEDED(host->GetProjectDirectory(&directory))) {
            project.setHomePath(toNarrow(directory));
        }
    }
    Bstr debuggerPart;
    if (IPluginHub* hub = utility.hub()) {
        if (FAILED(hub->GetPartName(&debuggerPart))) {
            debuggerPart.clear();
        }
    }
    project.setPart(partForDebuggerDevice(toNarrow(debuggerPart)));
}

void NewProjectSetup::addInitialFile() {
    IGuiWorks* host = m_context.utility().host();
    Bstr name;
    if (host == nullptr || FAILED(host->GetInitialFileName(&name)) || name.empty()) {
        return;
    }
    const std::string path = toNarrow(name);
    if (!FileSystem::fileExists(path)) {
        FileSystem::createNewFile(path);
    }
    m_context.addFileToProject(path);
    if (host->OpenFile(name, 0) != S_OK) {
        m_context.utility().logError(kOpenFailed + path);
    }
    m_context.saveProject();
}

void NewProjectSetup::checkDevice() {
    const std::string part = m_context.project().part();
    if (!isSupported(part)) {
        DialogService::current().messageBox(notSupportedMessage(part), std::string(),
                                            MessageIcon::None, MessageButtons::Ok);
    }
}

} // namespace avrtazu
