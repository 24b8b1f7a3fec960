#include "plugin/plugin_fixture.h"

#include "model/configuration.h"
#include "model/device_catalog.h"
#include "model/source_file.h"
#include "persistence/project_xml_handler.h"
#include "platform/dialog_service.h"
#include "platform/registry.h"
#include "plugin/options_change.h"
#include "ui/general_property_page.h"
#include "ui/modal_runner.h"
#include "ui/target_option_dlg.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>

#include <algorithm>
#include <filesystem>
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

template <typename T> T& control(QWidget& page, const std::string& name) {
    T* found = page.findChild<T*>(QString::fromStdString(name));
    if (found == nullptr) {
        throw std::runtime_error("no control named " + name);
    }
    return *found;
}

} // namespace

PluginFixture::PluginFixture() {
    Registry::setFile(drive.write("registry.reg", "Windows Registry Editor Version 5.00\r\n"));
    DialogService::install(&dialogs);
    clearRecords();
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

    ModalRunner::setHook([this](QDialog& dialog) {
        if (m_shown >= static_cast<int>(m_passes.size())) {
            ADD_FAILURE() << "the options sheet opened " << ++m_shown << " times";
            throw std::runtime_error("the options sheet opened once too often");
        }
        return m_passes[static_cast<std::size_t>(m_shown++)](dynamic_cast<Sheet&>(dialog));
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
}

void PluginFixture::openProject(const Project& project) {
    writeDocument(&project);
    ASSERT_EQ(plugin->Init(&works), S_OK);
    ASSERT_EQ(plugin->HandleEvent(Zuzozuduvuruva::kProjectOpened, Bstr()), S_OK);
}

void PluginFixture::initWith(const Project& project) {
    ASSERT_EQ(plugin->Init(&works), S_OK);
    plugin->project() = project;
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
    std::error_code ignored;
    std::filesystem::remove(drive.linux("make-calls.txt"), ignored);
}

void PluginFixture::expectSheets(std::vector<Pass> passes) {
    m_passes = std::move(passes);
    m_shown = 0;
}

Strings PluginFixture::logMessages(long level) const {
    Strings messages;
    for (const auto& line : hub->logs) {
        if (line.level == level) {
            messages.push_back(line.message);
        }
    }
    return messages;
}

bool PluginFixture::logged(long level, const std::string& message) const {
    const Strings messages = logMessages(level);
    return std::find(messages.begin(), messages.end(), message) != messages.end();
}

Strings PluginFixture::messageTexts() const {
    Strings texts;
    for (const auto& message : dialogs.messages()) {
        texts.push_back(message.text);
    }
    return texts;
}

Strings PluginFixture::fullNames(const std::list<SourceFile>& files) {
    Strings names;
    for (const SourceFile& file : files) {
        names.push_back(file.fullName());
    }
    return names;
}

void PluginFixture::enterProjectFolder(const std::string& relative) {
    if (m_startFolder.empty()) {
        m_startFolder = std::filesystem::current_path().string();
    }
    std::filesystem::current_path(drive.linux(relative));
}

int PluginFixture::accept(Sheet& sheet) {
    click(sheet, "okButton");
    return sheet.result();
}

int PluginFixture::cancel(Sheet& sheet) {
    click(sheet, "cancelButton");
    return sheet.result();
}

QWidget& PluginFixture::target(Sheet& sheet) {
    sheet.setActivePage(Sheet::TargetPage);
    return sheet.targetPage();
}

QWidget& PluginFixture::general(Sheet& sheet) {
    sheet.setActivePage(Sheet::GeneralPage);
    return sheet.generalPage();
}

void PluginFixture::setText(QWidget& page, const std::string& name, const std::string& value) {
    control<QLineEdit>(page, name).setText(QString::fromStdString(value));
}

void PluginFixture::click(QWidget& page, const std::string& name) {
    control<QAbstractButton>(page, name).click();
}

} // namespace avrtazu::test
