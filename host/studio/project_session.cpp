#include "studio/project_session.h"

// Before Qt's headers come in through the plug-in's: the log channel's names stay clear of
#include "services/plug_in_utility.h"

#include "plugin/registration.h"
#include "plugin/zuzozuduvuruva.h"

#include "lib/current_folder_scope.h"
#include "lib/host_hub.h"
#include "lib/project_document.h"
#include "services/gui_plugin.h"
#include "services/object_registry.h"

#include <cstdio>
#include <exception>

namespace avrtazu {

namespace {

std::string hex(long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value) & 0xFFFFFFFFul);
    return text;
}

bool startsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Errors of reading a project that concern the files on disk or the windows, not the
// document: the section is whole and may be written back.
bool isDocumentDamage(const std::string& message) {
    const bool missingFile =
        startsWith(message, "The project file ") && endsWith(message, " does not exist.");
    return !missingFile && message != "Failed to set up plug-in windows";
}

} // namespace

ProjectSession::ProjectSession(HostHub& hub, IGuiWorks& works) : m_hub(hub), m_works(works) {}

ProjectSession::~ProjectSession() {
    close();
}

Zuzozuduvuruva* ProjectSession::tazu() const {
    return dynamic_cast<Zuzozuduvuruva*>(m_plugin.get());
}

void ProjectSession::note(long level, const std::string& text) {
    if (m_note) {
        m_note(level, text);
    }
}

bool ProjectSession::open(const std::string& linuxPath, std::string* error) {
    close();
    m_document = std::make_unique<ProjectDocument>();
    if (!m_document->load(linuxPath, error)) {
        m_document.reset();
        return false;
    }
    return start(kEventProjectOpened, error);
}

bool ProjectSession::create(const std::string& linuxFolder, const std::string& name,
                            std::string* error) {
    close();
    m_document = std::make_unique<ProjectDocument>();
    m_document->create(linuxFolder, name);
    // The file exists from the start, so that a project the user just made is never lost.
    if (!m_document->save(error) || !start(kEventNewProject, error)) {
        m_document.reset();
        return false;
    }
    std::string saveError;
    if (!save(&saveError)) {
        // The project is open and can be saved again; only this write failed.
        note(2, saveError);
    }
    return true;
}

bool ProjectSession::start(long event, std::string* error) {
    // As in the IDE, the project's folder is the current one while the project is open: the
    // plug-in takes relative file names from there.
    m_folderScope.emplace(m_document->folder());
    m_hub.setDocument(m_document.get());
    m_readErrors.clear();
    HRESULT created = S_OK;
    // The plug-in's XML handler asks the hub for the document as the object is made.
    m_plugin = ObjectRegistry::instance().create<IGuiPlugin>(
        plugin_registration::kClassId, plugin_registration::kGuiPluginInterfaceId, &created);
    if (!m_plugin) {
        *error = "The compiler plug-in " + std::string(plugin_registration::kClassId) +
                 " is not available (" + hex(created) + ").";
        m_hub.setDocument(nullptr);
        return false;
    }
    Bstr setup;
    const HRESULT setupResult = m_plugin->GetSetup(&setup);
    if (FAILED(setupResult)) {
        note(1, "The plug-in has no setup description (" + hex(setupResult) +
                    "); check the registry value AvrToolsPluginPath and avrtazuplugin.xml.");
    }
    const HRESULT initResult = m_plugin->Init(&m_works);
    if (FAILED(initResult)) {
        *error = "The compiler plug-in did not start (" + hex(initResult) + ").";
        close();
        return false;
    }
    m_reading = true;
    m_plugin->HandleEvent(event, Bstr());
    m_reading = false;
    rebaseline();
    return true;
}

void ProjectSession::close() {
    if (m_plugin) {
        m_plugin->Close();
        m_plugin.reset();
    }
    m_hub.setDocument(nullptr);
    m_document.reset();
    m_baseline.clear();
    m_readErrors.clear();
    m_folderScope.reset();
}

void ProjectSession::rebaseline() {
    // The plug-in's writer settles the order of its elements from its second write on; one
    // more write here keeps that order from looking like a change.
    if (m_plugin) {
        m_plugin->HandleEvent(kEventSave, Bstr());
    }
    m_baseline = m_document ? m_document->serialize() : std::string();
}

bool ProjectSession::isChanged() const {
    return m_document && m_document->serialize() != m_baseline;
}

bool ProjectSession::syncAndCheckChanged() {
    if (!m_plugin) {
        return false;
    }
    m_plugin->HandleEvent(kEventSave, Bstr());
    return isChanged();
}

bool ProjectSession::save(std::string* error) {
    if (!m_plugin || !m_document) {
        *error = "No project is open.";
        return false;
    }
    m_plugin->HandleEvent(kEventSave, Bstr());
    if (!m_document->save(error)) {
        return false;
    }
    m_baseline = m_document->serialize();
    m_readErrors.clear();
    return true;
}

void ProjectSession::noteLog(long level, const std::string& message) {
    if (m_reading && level == 2 && isDocumentDamage(message)) {
        m_readErrors.push_back(message);
    }
}

} // namespace avrtazu
