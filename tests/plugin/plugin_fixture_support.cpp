#include "plugin/plugin_fixture.h"

#include "model/configuration.h"
#include "model/source_file.h"
#include "persistence/project_xml_handler.h"
#include "platform/dialog_service.h"
#include "platform/file_system.h"
#include "platform/registry.h"

#include <chrono>
#include <filesystem>
#include <sstream>

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
    works.projectDirectory = "C:\\work\\demo\\";
    works.dockWindow = &dock;
    dock.resize(240, 320);

    drive.write("work/demo/main.c", "int main(void) { return 0; }\n");
    drive.write("work/demo/src/uart.c", "void uart(void) {}\n");
    drive.write("work/demo/main.h", "\n");
    drive.write("tools/bin/tazuavr.exe", "#!/bin/sh\nexit 0\n", true);
    drive.write("tools/bin/tazumake.exe",
                "#!/bin/sh\n"
                "echo \"[$*]\" >> '" +
                    drive.linux("make-calls.txt") +
                    "'\n"
                    "case \"$1\" in\n"
                    "  clean) echo 'del /F /Q *.o' ;;\n"
                    "  '') : > demo.cof; : > demo.lis; : > demo.mp ;;\n"
                    "  *) : > \"$1\" ;;\n"
                    "esac\n"
                    "exit 0\n",
                true);
    writeDocument(demoProject());
    plugin = std::make_unique<Zuzozuduvuruva>();
}

PluginFixture::~PluginFixture() {
    plugin.reset();
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

void PluginFixture::writeDocument(const Project& project) {
    hub->document.load_string(kDemoHostDocument);
    ProjectXmlHandler writer;
    writer.makeStructure();
    writer.projectToXML(project);
}

void PluginFixture::openProject(const Project& project) {
    writeDocument(project);
    ASSERT_EQ(plugin->Init(&works), S_OK);
    ASSERT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
}

void PluginFixture::clearRecords() {
    works = fakes::RecordingWorks{};
    works.projectDirectory = "C:\\work\\demo\\";
    works.dockWindow = &dock;
    hub->logs.clear();
    hub->events.clear();
    hub->partNamesSet.clear();
    hub->sourceFileLists.clear();
    dialogs.clear();
    std::error_code ignored;
    std::filesystem::remove(drive.linux("make-calls.txt"), ignored);
}

std::vector<std::string> PluginFixture::makeCalls() const {
    std::vector<std::string> calls;
    std::istringstream lines(drive.read("make-calls.txt"));
    for (std::string line; std::getline(lines, line);) {
        calls.push_back(line);
    }
    return calls;
}

std::vector<std::string> PluginFixture::logMessages(long level) const {
    std::vector<std::string> messages;
    for (const auto& line : hub->logs) {
        if (line.level == level) {
            messages.push_back(line.message);
        }
    }
    return messages;
}

bool PluginFixture::logged(long level, const std::string& message) const {
    for (const auto& line : hub->logs) {
        if (line.level == level && line.message == message) {
            return true;
        }
    }
    return false;
}

std::vector<long> PluginFixture::sentEvents() const {
    std::vector<long> numbers;
    for (const auto& event : hub->events) {
        numbers.push_back(event.number);
    }
    return numbers;
}

std::vector<std::string> PluginFixture::outputTexts() const {
    std::vector<std::string> texts;
    for (const auto& line : works.output) {
        texts.push_back(line.text);
    }
    return texts;
}

void PluginFixture::touch(const std::string& relative, std::time_t secondsFromNow) const {
    const auto when =
        std::filesystem::file_time_type::clock::now() + std::chrono::seconds(secondsFromNow);
    std::filesystem::last_write_time(drive.linux(relative), when);
}

void PluginFixture::enterProjectFolder(const std::string& relative) {
    if (m_startFolder.empty()) {
        m_startFolder = std::filesystem::current_path().string();
    }
    std::filesystem::current_path(drive.linux(relative));
}

std::string PluginFixture::text(const std::string& path) const {
    return FileSystem::readFile(path).value_or("");
}

} // namespace avrtazu::test
