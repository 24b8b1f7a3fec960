#include "plugin/options_fixture.h"

#include "model/configuration.h"
#include "model/device_catalog.h"
#include "platform/dialog_service.h"
#include "plugin/new_project_setup.h"
#include "plugin/options_change.h"
#include "ui/general_property_page.h"
#include "ui/modal_runner.h"
#include "ui/target_option_dlg.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QTreeWidgetItem>

#include <stdexcept>

namespace avrtazu::test {

namespace {

const char* const kDemoDocument = "<AVRStudio>"
                                  "<MANAGEMENT><ProjectName>demo</ProjectName></MANAGEMENT>"
                                  "<CODE_CREATION><SaveFolder>C:\\work\\demo\\</SaveFolder>"
                                  "</CODE_CREATION>"
                                  "</AVRStudio>";

template <typename T> T& control(QWidget& page, const std::string& name) {
    T* found = page.findChild<T*>(QString::fromStdString(name));
    if (found == nullptr) {
        throw std::runtime_error("no control named " + name);
    }
    return *found;
}

} // namespace

OptionsFixture::OptionsFixture() {
    hub->document.load_string(kDemoDocument);
    DialogService::install(&dialogs);
    PlugInUtility::instance().setHost(&works);
    works.projectDirectory = "C:\\work\\demo\\";
    works.studioDirectory = "C:\\studio\\";
    std::string parts;
    for (int row = 0; row < DeviceCatalog::deviceCount; ++row) {
        parts += DeviceCatalog::device(row).name + "\r\n";
    }
    drive.write("studio/AvrStudioPlugin/tazusupportedparts.txt", parts);
    drive.makeFolder("work/demo");

    project = demoProject();
    xml = std::make_unique<ProjectXmlHandler>();
    xml->makeStructure();
    xml->projectToXML(project);
    tree = std::make_unique<CProjectTree>(project, commands);

    ModalRunner::setHook([this](QDialog& dialog) {
        auto* sheet = qobject_cast<CProjectPropertiesSheet*>(&dialog);
        if (sheet == nullptr) {
            ADD_FAILURE() << "a dialog other than the options sheet opened";
            return static_cast<int>(QDialog::Rejected);
        }
        m_openingPages.push_back(sheet->activePageIndex());
        if (m_shown >= static_cast<int>(m_passes.size())) {
            ++m_shown;
            ADD_FAILURE() << "the options sheet opened " << m_shown << " times";
            throw std::runtime_error("the options sheet opened once too often");
        }
        return m_passes[static_cast<std::size_t>(m_shown++)](*sheet);
    });
}

OptionsFixture::~OptionsFixture() {
    ModalRunner::setHook({});
    ModalRunner::setUnattended(false);
    OptionsChange::setNewProject(false);
    DialogService::install(nullptr);
    tree.reset();
}

Project OptionsFixture::demoProject() {
    Project demo("demo", "C:\\work\\demo\\");
    Configuration standard("default", "demo.cof");
    standard.setOutputDirectory("default\\");
    demo.addConfig(standard);
    demo.setUsesTazuAvr(false);
    return demo;
}

void OptionsFixture::expectSheets(std::vector<Pass> passes) {
    m_passes = std::move(passes);
    m_shown = 0;
    m_openingPages.clear();
}

OptionsContext OptionsFixture::context() {
    return OptionsContext(project, *xml, PlugInUtility::instance(), [this] { return tree.get(); });
}

HRESULT OptionsFixture::changeOptions() {
    return OptionsChange(context()).changeOptions();
}

void OptionsFixture::startNewProject() {
    hub->document.load_string(kDemoDocument);
    tree.reset();
    project = Project();
    tree = std::make_unique<CProjectTree>(project, commands);
}

void OptionsFixture::newProjectSetup(std::function<HRESULT()> setupWindows) {
    if (!setupWindows) {
        setupWindows = [this] { return showTree(); };
    }
    OptionsChange::setNewProject(true);
    NewProjectSetup(context(), setupWindows).run();
}

HRESULT OptionsFixture::showTree() {
    tree->createWindow(&dock, CProjectTree::kControlId);
    tree->initialize();
    return S_OK;
}

int OptionsFixture::accept(CProjectPropertiesSheet& sheet) {
    sheet.findChild<QAbstractButton*>(QStringLiteral("okButton"))->click();
    return sheet.result();
}

int OptionsFixture::cancel(CProjectPropertiesSheet& sheet) {
    sheet.findChild<QAbstractButton*>(QStringLiteral("cancelButton"))->click();
    return sheet.result();
}

QWidget& OptionsFixture::target(CProjectPropertiesSheet& sheet) {
    sheet.setActivePage(CProjectPropertiesSheet::TargetPage);
    return sheet.targetPage();
}

QWidget& OptionsFixture::general(CProjectPropertiesSheet& sheet) {
    sheet.setActivePage(CProjectPropertiesSheet::GeneralPage);
    return sheet.generalPage();
}

void OptionsFixture::setText(QWidget& page, const std::string& name, const std::string& value) {
    control<QLineEdit>(page, name).setText(QString::fromStdString(value));
}

std::string OptionsFixture::text(QWidget& page, const std::string& name) {
    return control<QLineEdit>(page, name).text().toStdString();
}

void OptionsFixture::click(QWidget& page, const std::string& name) {
    control<QAbstractButton>(page, name).click();
}

bool OptionsFixture::checked(QWidget& page, const std::string& name) {
    return control<QAbstractButton>(page, name).isChecked();
}

void OptionsFixture::select(QWidget& page, const std::string& name, const std::string& entry) {
    QComboBox& list = control<QComboBox>(page, name);
    const int index = list.findText(QString::fromStdString(entry));
    if (index < 0) {
        throw std::runtime_error("no entry " + entry + " in " + name);
    }
    list.setCurrentIndex(index);
}

std::vector<std::string> OptionsFixture::messageTexts() const {
    std::vector<std::string> texts;
    for (const auto& message : dialogs.messages()) {
        texts.push_back(message.text);
    }
    return texts;
}

bool OptionsFixture::logged(long level, const std::string& message) const {
    for (const auto& line : hub->logs) {
        if (line.level == level && line.message == message) {
            return true;
        }
    }
    return false;
}

bool OptionsFixture::logged(long level, const std::string& context,
                            const std::string& message) const {
    return hub->logged(level, context, message);
}

std::vector<std::string> OptionsFixture::itemTexts(QTreeWidgetItem* group) {
    std::vector<std::string> texts;
    for (int index = 0; group != nullptr && index < group->childCount(); ++index) {
        texts.push_back(group->child(index)->text(0).toStdString());
    }
    return texts;
}

std::vector<std::string> OptionsFixture::fullNames(const std::list<SourceFile>& files) {
    std::vector<std::string> names;
    for (const SourceFile& file : files) {
        names.push_back(file.fullName());
    }
    return names;
}

void OptionsFixture::Commands::saveProject() {
    owner.xml->projectToXML(owner.project);
}

} // namespace avrtazu::test
