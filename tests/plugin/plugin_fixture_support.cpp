#include "plugin/plugin_fixture.h"

#include "model/configuration.h"
#include "model/device_catalog.h"
#include "model/source_file.h"
#include "persistence/project_xml_handler.h"
#include "platform/dialog_service.h"
#include "platform/registry.h"
#include "plugin/options_change.h"
#include "ui/modal_runner.h"

#include <QDialog>

#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace avrtazu::test {

namespace {

const char* const kDemoHostDocument = "<AVRStudio>"
                                      "<MANAGEMENT><ProjectName>demo</ProjectName></MANAGEMENT>"
                                      "<CODE_CREATION><SaveFolder>C:\\work\\demo\\</SaveFolder>"
                                      "</CODE_CREATION>"
                                      "<DEBUG_TARGET><PART>ATmega16</PART></DEBUG_TARGET>"
                                      "<Debugger><Tool>simulator</Tool></Debugger>"
                                      "<IOView><Shown>1</Shown></IOView>"
                                      "</AVRStudio>";

} // namespace

PluginFixture::PluginFixture() {
    Registry::setFile(drive.write("registry.reg", "Windows Registry Editor Version 5.00\r\n"));
    DialogService::install(&dialogs);
    dock.resize(240, 320);

    std::string parts;
    for (int row = 0; row < DeviceCatalog::deviceCount; ++row) {
        parts += DeviceCatalog::device(row).name + "\r\n";
    }
    drive.write("studio/AvrStudioPlugin/tazusupportedparts.txt", parts);
    drive.write("work/demo/main.c", "int main(void) { return 0; }\n");
    drive.write("work/demo/src/uart.c", "void uart(void) {}\n");
    drive.write("work/demo/main.h", "\n");
    drive.write("tools/bin/tazuavr.exe", "#!/bin/sh\nexit 0\n", true);
    drive.write("tools/bin/tazumake.exe",
                "#!/bin/sh\necho \"[$*]\" >> '" + drive.linux("make-calls.txt") +
                    "'\ncase \"$1\" in\n"
                    "  clean) echo 'del /F /Q *.o' ;;\n"
                    "  '') : > demo.cof; : > demo.lis; : > demo.mp ;;\n"
                    "  *) : > \"$1\" ;;\n"
                    "esac\nexit 0\n",
                true);
    const Project demo = demoProject();
    writeDocument(&demo);
    plugin = std::make_unique<Zuzozuduvuruva>();
    clearRecords();

    ModalRunner::setHook([this](QDialog& dialog) {
        ++m_shown;
        if (m_next >= m_passes.size()) {
            ADD_FAILURE() << "the options sheet opened once more than the test expects";
            throw std::runtime_error("the options sheet opened once too often");
        }
        return m_passes[m_next++](dynamic_cast<Sheet&>(dialog));
    });
}

PluginFixture::~PluginFixture() {
    plugin.reset();
    ModalRunner::setHook({});
    ModalRunner::setUnattended(false);
    OptionsChange::setNewProject(false);
    if (!m_startFolder.empty()) {
        std::error_code ignored;
        std::filesystem::current_path(m_startFolder, ignored);
    }
    DialogService::install(nullptr);
    Registry::setFile("");
}

Project PluginFixture::demoProject() {
    Project project("demo", "C:\\work\\demo\\");
    project.addConfig(Configuration("default", "demo.cof"));
    project.setUsesTazuAvr(false);
    project.setTazuLocation("C:\\tools\\bin");
    project.setMakeLocation("C:\\tools\\bin");
    project.addSrcFile(SourceFile("main.c"));
    project.addSrcFile(SourceFile("src\\uart.c"));
    project.addHdrFile(SourceFile("main.h"));
    return project;
}

void PluginFixture::writeDocument(const Project* project) {
    hub->document.load_string(kDemoHostDocument);
    if (project != nullptr) {
        ProjectXmlHandler writer;
        writer.makeStructure();
        writer.projectToXML(*project);
    }
    m_documentSeen = documentText();
}

void PluginFixture::clearRecords() {
    works = fakes::RecordingWorks{};
    works.projectDirectory = "C:\\work\\demo\\";
    works.studioDirectory = "C:\\studio\\";
    works.dockWindow = &dock;
    hub->logs.clear();
    hub->events.clear();
    hub->sourceFileLists.clear();
    dialogs.clear();
    m_shown = 0;
    m_documentSeen = documentText();
    std::error_code ignored;
    std::filesystem::remove(drive.linux("make-calls.txt"), ignored);
}

std::string PluginFixture::seen() {
    std::ostringstream out;
    const auto each = [&out](const std::string& what, const auto& list, const auto& line) {
        for (const auto& item : list) {
            out << what << ' ' << line(item) << '\n';
        }
    };
    const auto same = [](const std::string& text) { return text; };
    std::istringstream calls(drive.read("make-calls.txt"));
    for (std::string call; std::getline(calls, call);) {
        out << "make " << call << '\n';
    }
    for (const auto& log : hub->logs) {
        if (log.level == 1 || log.level == 2) {
            out << "log " << log.level << ": " << log.message << '\n';
        }
    }
    each("event", hub->events,
         [](const auto& e) { return std::to_string(e.number) + " " + e.text; });
    each("project files:", hub->sourceFileLists, same);
    const char* const icons[] = {"plain", "information", "warning", "error", "question"};
    each("message box,", dialogs.messages(), [&icons](const auto& message) {
        return icons[static_cast<int>(message.icon)] + (": " + message.text);
    });
    each("file dialog:", dialogs.dialogs(), [](const auto& dialog) { return dialog.title; });
    each("help:", works.helpRequests, same);
    each("open at line:", works.openedAtLine, [](const auto& o) {
        return o.path + " " + std::to_string(o.line) + " " + std::to_string(o.flags);
    });
    each("open:", works.openedFiles,
         [](const auto& o) { return o.first + " " + std::to_string(o.second); });
    each("command state:", works.commandStates,
         [](const auto& s) { return std::to_string(s.first) + " " + std::to_string(s.second); });
    each("dock:", works.dockRequests, [](const auto& d) {
        return d.title + ", " + d.anchor + ", " + d.side + ", " + std::to_string(d.flags) + ", " +
               std::to_string(d.iconResourceId);
    });
    if (works.clearOutputCalls + works.loadObjectFileCalls > 0) {
        out << "output cleared " << works.clearOutputCalls << ", object file loaded "
            << works.loadObjectFileCalls << '\n';
    }
    if (m_shown > 0) {
        out << "options sheets: " << m_shown << '\n';
    }
    if (documentText() != m_documentSeen) {
        out << "document written\n";
    }
    clearRecords();
    return out.str();
}

void PluginFixture::enterProjectFolder(const std::string& relative) {
    if (m_startFolder.empty()) {
        m_startFolder = std::filesystem::current_path().string();
    }
    std::filesystem::current_path(drive.linux(relative));
}

} // namespace avrtazu::test
