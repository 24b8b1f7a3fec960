#pragma once

#include "services/plug_in_utility.h"

#include "model/project.h"
#include "persistence/project_xml_handler.h"
#include "persistence/xml_host_support.h"
#include "platform/scripted_dialog_service.h"
#include "platform/temp_drive.h"
#include "plugin/options_context.h"
#include "services/fake_host_support.h"
#include "ui/project_properties_sheet.h"
#include "ui/project_tree.h"
#include "ui/tree_commands.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace avrtazu::test {

// The options change as the plug-in object runs it, without the object: the project "demo" in
// C:\work\demo\ (configuration "default", device "Custom"), its section in the host's document,
// a project tree, a recording host whose studio folder C:\studio\ holds the supported-parts
// file, and scripted message boxes. Each options sheet that opens runs the next of the passes
// the test gave; a sheet beyond them fails the test and ends the options change.
class OptionsFixture : public ::testing::Test {
public:
    // One showing of the sheet: what the user does, and the sheet's result.
    using Pass = std::function<int(CProjectPropertiesSheet&)>;

    OptionsFixture();
    ~OptionsFixture() override;

    static Project demoProject();
    void expectSheets(std::vector<Pass> passes);
    int sheetsShown() const { return m_shown; }
    // The page each sheet opened on, in order.
    const std::vector<int>& openingPages() const { return m_openingPages; }

    OptionsContext context();
    HRESULT changeOptions();
    // An empty project and a host document without the plug-in's section, as the host has them
    // when it reports a project it has just created.
    void startNewProject();
    // The host's new-project event as the plug-in object handles it: the flag, then the
    // set-up with the fixture's window set-up (showTree) or the one given.
    void newProjectSetup(std::function<HRESULT()> setupWindows = nullptr);
    // Gives the tree its window in the dock and fills it, as the plug-in's window set-up does.
    HRESULT showTree();

    // Pass steps.
    static int accept(CProjectPropertiesSheet& sheet);
    static int cancel(CProjectPropertiesSheet& sheet);
    static QWidget& target(CProjectPropertiesSheet& sheet);
    static QWidget& general(CProjectPropertiesSheet& sheet);
    static void setText(QWidget& page, const std::string& control, const std::string& text);
    static std::string text(QWidget& page, const std::string& control);
    static void click(QWidget& page, const std::string& control);
    static bool checked(QWidget& page, const std::string& control);
    static void select(QWidget& page, const std::string& control, const std::string& entry);

    // Texts of the message boxes shown, in order.
    std::vector<std::string> messageTexts() const;
    bool logged(long level, const std::string& message) const;
    bool logged(long level, const std::string& context, const std::string& message) const;
    // Files of the tree's group, as the items show them.
    static std::vector<std::string> itemTexts(QTreeWidgetItem* group);
    static std::vector<std::string> fullNames(const std::list<SourceFile>& files);

    // The tree's link to the plug-in: saving writes the project into the document.
    struct Commands : TreeCommands {
        explicit Commands(OptionsFixture& fixture) : owner(fixture) {}
        HRESULT ExecuteCommand(long) override { return S_OK; }
        void makeTarget(const std::string&) override {}
        void saveProject() override;
        OptionsFixture& owner;
    };

    TempDrive drive{'C'};
    std::shared_ptr<fakes::XmlHub> hub = std::make_shared<fakes::XmlHub>();
    fakes::HubInstallation installation{hub};
    fakes::RecordingWorks works;
    ScriptedDialogService dialogs;
    Project project;
    std::unique_ptr<ProjectXmlHandler> xml;
    Commands commands{*this};
    QWidget dock;
    std::unique_ptr<CProjectTree> tree;

private:
    std::vector<Pass> m_passes;
    int m_shown = 0;
    std::vector<int> m_openingPages;
};

} // namespace avrtazu::test
