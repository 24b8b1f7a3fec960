#pragma once

// Ahead of every Qt header, whose "emit" keyword macro would rewrite LogSink::emit.
#include "services/plug_in_utility.h"

#include "model/project.h"
#include "platform/scripted_dialog_service.h"
#include "services/fake_host_support.h"
#include "ui/project_tree.h"
#include "ui/tree_commands.h"

#include <QDialog>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace avrtazu::treetest {

// The plug-in object as the tree sees it: records what the tree asks for.
class RecordingCommands : public TreeCommands {
public:
    HRESULT ExecuteCommand(long command) override;
    void makeTarget(const std::string& target) override;
    void saveProject() override;

    std::vector<long> commands;
    std::vector<std::string> targets;
    int saves = 0;
};

// A tree over the project "demo" in C:\demo\ (a temporary folder mapped as C:, which is also
// the current folder), with a recording hub, works and plug-in object, and scripted dialogs.
class TreeFixture : public ::testing::Test {
protected:
    TreeFixture();
    ~TreeFixture() override;

    // Creates and initializes the tree.
    CProjectTree& makeTree();
    CProjectTree& tree() { return *m_tree; }

    // "C:\demo\" followed by the path relative to the project folder.
    static std::string windows(const std::string& relative);
    std::string linux(const std::string& relative) const;
    // Writes a file below C:\ (folders made as needed).
    void writeFile(const std::string& relativeToDrive, const std::string& content = "") const;
    bool onDisk(const std::string& relativeToDrive) const;

    // The texts of the items under an item, in order.
    static std::vector<std::string> texts(const QTreeWidgetItem* parent);
    // Log lines of one level (0 info, 2 error, 3 debug) as "context|message" (debug) or message.
    std::vector<std::string> logs(long level) const;
    // Selects the file item of the group whose text is `text`; fails the test without one.
    QTreeWidgetItem* select(QTreeWidgetItem* group, const std::string& text);
    // The dialog hook for the next modal dialogs: types into the named line edit and presses
    // the named button, or the button box's OK.
    void answerDialogs(const std::string& text, const char* editName,
                       const char* buttonName = nullptr);
    void cancelDialogs();

    Project project{"demo", "C:\\demo\\"};
    RecordingCommands commands;
    ScriptedDialogService dialogs;
    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();
    fakes::RecordingWorks works;
    std::vector<std::string> modalDialogs;

private:
    std::filesystem::path m_root;
    std::filesystem::path m_previousFolder;
    std::unique_ptr<fakes::HubInstallation> m_installation;
    std::unique_ptr<CProjectTree> m_tree;
};

} // namespace avrtazu::treetest
