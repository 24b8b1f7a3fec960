#pragma once

// Support for the tests of both hosts, the command line's and the studio's: temporary folders,
// golden files, a sample project and a stand-in for the compiler plug-in.

#include "golden.h"
#include "plugin/registration.h"
#include "services/gui_plugin.h"
#include "services/object_registry.h"
#include "services/plug_in_utility.h"
#include "services/plugin_hub.h"
#include "services/toolchain_locator.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu::test {

// A fresh folder for one test, removed with its content at the end.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "avrtazu-host-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& relative) const { return m_path + "/" + relative; }
    // Writes a file below the folder (folders made as needed); returns its Linux path.
    std::string write(const std::string& relative, const std::string& content) const {
        const std::filesystem::path path = file(relative);
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

private:
    std::string m_path;
};

// A command line's words, split at blanks; '' is an empty word.
inline std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string word; in >> word;) {
        result.push_back(word == "''" ? "" : word);
    }
    return result;
}

// text with each pair's first replaced by its second, pair after pair.
inline std::string replaced(std::string text,
                            const std::vector<std::pair<std::string, std::string>>& pairs) {
    for (const auto& [from, to] : pairs) {
        for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
            text.replace(at, from.size(), to);
        }
    }
    return text;
}

// A project file the way the IDE leaves one.
inline std::string sampleProject(const std::string& name = "blink") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AVRStudio>\n\t<MANAGEMENT>\n"
           "\t\t<ProjectName>" +
           name +
           "</ProjectName>\n\t\t<Created>05-Dec-2024 10:00:00</Created>\n\t</MANAGEMENT>\n"
           "\t<CODE_CREATION>\n\t\t<SaveFolder>C:\\old\\place\\</SaveFolder>\n"
           "\t</CODE_CREATION>\n\t<AVRTAZUPLUGIN>\n\t\t<LASTCONFIG>default</LASTCONFIG>\n"
           "\t</AVRTAZUPLUGIN>\n</AVRStudio>\n";
}

// What the fake plug-in does when driven, and what it saw. Every member has an initializer, so
// that a table row may name only those it sets.
struct FakePluginScript {
    // A log line of a level (0 to 2; else debug), or a line of build output of a kind.
    struct Line {
        std::string text{};
        long level = 0;
    };

    HRESULT setupResult = 0;
    HRESULT commandResult = 0;
    // loadLog goes out while the project is read (event 101) or set up (event 56).
    std::vector<Line> loadLog{}, commandLog{}, saveLog{}, commandOutput{};
    // Sent with event 51 during the command when not empty.
    std::string objectFile{};
    // Written into the plug-in's section as STATE on event 12: a test changes the project so.
    int state = 0;
    // Run at the end of the command.
    std::function<void(long command)> duringCommand{};

    // Seen. Calls as "GetSetup", "Init", "Event 101", "Command 0", "Close".
    std::vector<std::string> calls{};
    IGuiWorks* host = nullptr;
    std::string projectDirectory{}, studioDirectory{};
    // The editor's file at the command; GetInitialFileName's answer and the debugger's device
    // at event 56.
    std::string activeFile{}, initialFile{}, debuggerPart{};
};

// Registers a fake plug-in under the plug-in's class id for the test's lifetime, without
// toolchain discovery; the real plug-in comes back at the end. Every step of the fake goes
// through the PlugInUtility and the hub, as the real plug-in's do.
class FakePluginInstallation {
public:
    FakePluginInstallation() {
        PlugInUtility::resetForTesting();
        PlugInUtility::setToolchainLocator(nullptr);
        ObjectRegistry::instance().registerClass<IGuiPlugin>(
            plugin_registration::kClassId, plugin_registration::kGuiPluginInterfaceId,
            std::function<std::shared_ptr<IGuiPlugin>()>(
                [script = m_script] { return std::make_shared<Fake>(script); }));
    }
    ~FakePluginInstallation() {
        PlugInUtility::resetForTesting();
        PlugInUtility::setToolchainLocator(&ToolchainLocator::locate);
        registerPluginClass();
        ObjectRegistry::instance().unregisterClass(kPluginHubClassId);
    }
    FakePluginInstallation(const FakePluginInstallation&) = delete;
    FakePluginInstallation& operator=(const FakePluginInstallation&) = delete;

    FakePluginScript& script() { return *m_script; }

private:
    class Fake : public IGuiPlugin {
    public:
        explicit Fake(std::shared_ptr<FakePluginScript> script) : m_script(std::move(script)) {}

        HRESULT GetSetup(Bstr* setup) override {
            m_script->calls.push_back("GetSetup");
            *setup = L"<AVRSTUDIO_PLUGIN/>";
            return m_script->setupResult;
        }
        HRESULT Init(IGuiWorks* host) override {
            m_script->calls.push_back("Init");
            m_script->host = host;
            PlugInUtility::instance().setHost(host);
            m_script->studioDirectory = get(&IGuiWorks::GetStudioDirectory);
            return S_OK;
        }
        HRESULT HandleEvent(long event, const Bstr& text) override {
            m_script->calls.push_back("Event " + std::to_string(event) +
                                      (text.empty() ? "" : " " + toNarrow(text)));
            if (event == 101) {
                m_script->projectDirectory = get(&IGuiWorks::GetProjectDirectory);
                log(m_script->loadLog);
            } else if (event == 56) {
                m_script->initialFile = get(&IGuiWorks::GetInitialFileName);
                Bstr part;
                PlugInUtility::instance().hub()->GetPartName(&part);
                m_script->debuggerPart = toNarrow(part);
                log(m_script->loadLog);
            } else if (event == 12) {
                pugi::xml_node section = document().child("AVRTAZUPLUGIN");
                if (!section) {
                    section = document().append_child("AVRTAZUPLUGIN");
                }
                section.remove_child("STATE");
                section.append_child("STATE").text().set(m_script->state);
                log(m_script->saveLog);
            }
            return S_OK;
        }
        HRESULT ExecuteCommand(long command) override {
            m_script->calls.push_back("Command " + std::to_string(command));
            m_script->activeFile = get(&IGuiWorks::GetActiveFile);
            for (const FakePluginScript::Line& line : m_script->commandOutput) {
                m_script->host->AddOutputMessage(toWide(line.text), line.level);
            }
            log(m_script->commandLog);
            if (!m_script->objectFile.empty()) {
                PlugInUtility::instance().hub()->SendEvent(kEventObjectFile,
                                                           toWide(m_script->objectFile));
            }
            if (m_script->duringCommand) {
                m_script->duringCommand(command);
            }
            return m_script->commandResult;
        }
        HRESULT SaveFile(const Bstr&, long* ok) override {
            *ok = 1;
            return S_OK;
        }
        HRESULT Close() override {
            m_script->calls.push_back("Close");
            for (const char* section : {"MANAGEMENT", "CODE_CREATION", "AVRTAZUPLUGIN"}) {
                document().remove_child(section);
            }
            return S_OK;
        }

    private:
        std::string get(HRESULT (IGuiWorks::*getter)(Bstr*)) const {
            Bstr value;
            (m_script->host->*getter)(&value);
            return toNarrow(value);
        }
        static pugi::xml_node document() {
            void* object = nullptr;
            PlugInUtility::instance().hub()->GetSharedObject(
                L"XMLPROJECT", std::string(kXmlDomDocumentInterfaceId), &object);
            return static_cast<pugi::xml_document*>(object)->document_element();
        }
        static void log(const std::vector<FakePluginScript::Line>& lines) {
            PlugInUtility& utility = PlugInUtility::instance();
            for (const FakePluginScript::Line& line : lines) {
                line.level == 0   ? utility.logInfo(line.text)
                : line.level == 1 ? utility.logWarning(line.text)
                : line.level == 2 ? utility.logError(line.text)
                                  : utility.logDebug("Fake::step()", line.text);
            }
        }

        std::shared_ptr<FakePluginScript> m_script;
    };

    std::shared_ptr<FakePluginScript> m_script = std::make_shared<FakePluginScript>();
};

} // namespace avrtazu::test
