#include "ui/project_tree_support.h"

#include "build/build_tree_view.h"
#include "ui/project_tree_flows.h"

#include <QApplication>
#include <QKeyEvent>

#include <gmock/gmock.h>

namespace avrtazu::treetest {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Flow = void (ProjectTreeFlows::*)();

class ProjectTreeFlowsTest : public TreeFixture {
protected:
    // A tree whose project has main.c and io.h on disk and in the project.
    CProjectTree& makeTreeWithFiles() {
        writeFile("demo\\main.c");
        writeFile("demo\\io.h");
        project.addSrcFile(SourceFile("main.c"));
        project.addHdrFile(SourceFile("io.h"));
        CProjectTree& view = makeTree();
        hub->logs.clear();
        return view;
    }
    void run(Flow flow) { (tree().flows().*flow)(); }
};

TEST_F(ProjectTreeFlowsTest, AddExistingFilesPutsEveryChoiceIntoTheGroup) {
    struct Case {
        Flow flow;
        std::string title;
        std::string filter;
        bool headers;
        bool dirtyAfterCancel;
    };
    const std::vector<Case> cases = {
        {&ProjectTreeFlows::addHeaderFiles, "Add header file to project",
         "Header File (*.h)|*.h;|All Files(*.*)|*.*|", true, false},
        {&ProjectTreeFlows::addSourceFiles, "Add source file",
         "Source File (*.c)|*.c;|All Files(*.*)|*.*|", false, true},
    };
    makeTree();
    for (const Case& c : cases) {
        project = Project("demo", "C:\\demo\\");
        project.addConfig(Configuration("default"));
        tree().updateControlDataFromProject();
        dialogs.clear();
        commands.saves = 0;

        run(c.flow);
        ASSERT_EQ(dialogs.dialogs().size(), 1u);
        EXPECT_EQ(dialogs.dialogs()[0].title, c.title);
        EXPECT_EQ(dialogs.dialogs()[0].filter, c.filter);
        EXPECT_EQ(dialogs.dialogs()[0].startFolder, "C:\\demo\\");
        EXPECT_TRUE(dialogs.dialogs()[0].allowMultiple);
        EXPECT_EQ(project.isDirty(), c.dirtyAfterCancel) << c.title;

        dialogs.queueOpenFiles({windows("notes.txt"), "C:\\ext\\b.c", windows("sub\\c.h")});
        run(c.flow);
        QTreeWidgetItem* group = c.headers ? tree().headerGroup() : tree().sourceGroup();
        EXPECT_THAT(texts(group), ElementsAre("notes.txt", "b.c", "c.h")) << c.title;
        const std::list<SourceFile>& list = c.headers ? project.hdrFiles() : project.srcFiles();
        std::vector<std::string> stored;
        for (const SourceFile& file : list) {
            stored.push_back(file.fullName());
        }
        EXPECT_THAT(stored, ElementsAre("notes.txt", "C:\\ext\\b.c", "sub\\c.h"));
        EXPECT_EQ(commands.saves, 3);
        EXPECT_TRUE(project.isDirty());
    }
}

TEST_F(ProjectTreeFlowsTest, MultiFileAddStopsAtTheFirstDuplicate) {
    struct Case {
        Flow flow;
        std::string existing;
        std::string context;
        std::string error;
    };
    const std::vector<Case> cases = {
        {&ProjectTreeFlows::addSourceFiles, "main.c", "CProjectTree::OnAddSourceFile()",
         "Error adding source file"},
        {&ProjectTreeFlows::addHeaderFiles, "io.h", "CProjectTree::OnAddHeaderFile()",
         "Error adding header file"},
    };
    makeTreeWithFiles();
    for (const Case& c : cases) {
        hub->logs.clear();
        const std::string duplicate = windows(c.existing);
        dialogs.queueOpenFiles({windows("first.x"), duplicate, windows("never.x")});
        run(c.flow);
        EXPECT_THAT(logs(3), ElementsAre(c.context + "|" + duplicate +
                                         " is already a part of this project."));
        EXPECT_THAT(logs(2), ElementsAre(c.error));
        QTreeWidgetItem* group = c.flow == &ProjectTreeFlows::addSourceFiles ? tree().sourceGroup()
                                                                             : tree().headerGroup();
        EXPECT_NE(tree().findFileItem(group, "first.x"), nullptr);
        EXPECT_EQ(tree().findFileItem(group, "never.x"), nullptr);
    }
}

TEST_F(ProjectTreeFlowsTest, AddExistingFileSortsByKindAndSkipsOnlyTheDuplicate) {
    CProjectTree& view = makeTreeWithFiles();
    dialogs.queueOpenFiles({windows("a.c"), "main.c", windows("b.H"), windows("notes.txt")});
    QKeyEvent insert(QEvent::KeyPress, Qt::Key_Insert, Qt::NoModifier);
    QApplication::sendEvent(&view, &insert);

    ASSERT_EQ(dialogs.dialogs().size(), 1u);
    EXPECT_EQ(dialogs.dialogs()[0].title, "Add Project file");
    EXPECT_EQ(dialogs.dialogs()[0].filter, "All files(*.*)|*.*|");
    EXPECT_THAT(texts(view.sourceGroup()), ElementsAre("main.c", "a.c"));
    EXPECT_THAT(texts(view.headerGroup()), ElementsAre("io.h", "b.H"));
    EXPECT_THAT(texts(view.otherGroup()), ElementsAre("notes.txt"));
    EXPECT_THAT(logs(3), ElementsAre("CProjectTree::addFileToProject()|main.c is already a part "
                                     "of this project."));
    EXPECT_THAT(logs(2), ElementsAre("Error adding source file"));
    // Several files: none is opened.
    EXPECT_THAT(works.openedFiles, IsEmpty());

    dialogs.queueOpenFiles({"C:\\ext\\one.c"});
    view.flows().addProjectFiles();
    EXPECT_THAT(works.openedFiles, ElementsAre(std::make_pair(std::string("C:\\ext\\one.c"), 0L)));
}

TEST_F(ProjectTreeFlowsTest, CreateNewFileAddsByVariantAndOpensIt) {
    struct Case {
        Flow flow;
        std::string name;
        int group; // the kind whose group receives the file, or kNoFile
        std::string info;
    };
    const std::vector<Case> cases = {
        {&ProjectTreeFlows::createHeaderFile, "x.h", CProjectTree::kHeaderFile, ""},
        {&ProjectTreeFlows::createHeaderFile, "x.c", CProjectTree::kNoFile, "Not a header file"},
        {&ProjectTreeFlows::createSourceFile, "y.S", CProjectTree::kSourceFile, ""},
        {&ProjectTreeFlows::createSourceFile, "y.h", CProjectTree::kNoFile, "Not a source file"},
        {&ProjectTreeFlows::createProjectFile, "z.txt", CProjectTree::kOtherFile, ""},
        {&ProjectTreeFlows::createProjectFile, "z.H", CProjectTree::kHeaderFile, ""},
        {&ProjectTreeFlows::createProjectFile, "z.c", CProjectTree::kSourceFile, ""},
    };
    makeTree();
    for (const Case& c : cases) {
        hub->logs.clear();
        works.openedFiles.clear();
        project.setDirty(false);
        answerDialogs(c.name, "fileName");
        run(c.flow);
        const std::string path = windows(c.name);
        EXPECT_TRUE(onDisk("demo\\" + c.name)) << c.name;
        if (c.group == CProjectTree::kNoFile) {
            EXPECT_THAT(logs(0), ElementsAre("Did not add file " + path + ": " + c.info));
            EXPECT_FALSE(tree().containsFile(c.name));
            EXPECT_THAT(works.openedFiles, IsEmpty());
            EXPECT_FALSE(project.isDirty());
            continue;
        }
        EXPECT_NE(tree().findFileItem(tree().groupOfKind(c.group), c.name), nullptr) << c.name;
        EXPECT_THAT(logs(0), ElementsAre("Created and added " + path + " to the project"));
        EXPECT_THAT(works.openedFiles, ElementsAre(std::make_pair(path, 0L)));
        EXPECT_TRUE(project.isDirty());
    }
    EXPECT_THAT(logs(2), IsEmpty());

    cancelDialogs();
    const std::size_t before = project.srcFiles().size();
    tree().flows().createSourceFile();
    EXPECT_EQ(project.srcFiles().size(), before);
}

TEST_F(ProjectTreeFlowsTest, DropRefusesMoreThan256FilesAndStopsAtTheFirstError) {
    CProjectTree& view = makeTreeWithFiles();
    view.flows().dropFiles(std::vector<std::string>(257, windows("a.c")));
    EXPECT_THAT(logs(2), ElementsAre("Could not add project files to project tree: Only 256 "
                                     "number of files can be dropped onto the source tree"));
    EXPECT_THAT(texts(view.sourceGroup()), ElementsAre("main.c"));

    hub->logs.clear();
    view.flows().dropFiles({windows("b.c"), windows("main.c"), windows("c.c")});
    EXPECT_THAT(texts(view.sourceGroup()), ElementsAre("main.c", "b.c"));
    EXPECT_THAT(logs(3), ElementsAre("CProjectTree::OnDropFiles()|" + windows("main.c") +
                                     " is already a part of this project."));
    EXPECT_THAT(logs(2), ElementsAre("Could not add project files to project tree: " +
                                     windows("main.c") + " is already a part of this project."));
}

TEST_F(ProjectTreeFlowsTest, RemoveRefusesItemsThatAreNoProjectFiles) {
    writeFile("libs\\libm.a");
    project.addLibraryDirectory("C:\\libs");
    project.addLibrary("libm.a");
    CProjectTree& view = makeTreeWithFiles();
    const std::string unknown = "Error removing item, Parent item is of unknown type";
    const std::vector<std::pair<QTreeWidgetItem*, std::string>> cases = {
        {view.externalGroup()->child(0), unknown},
        {view.sourceGroup(), unknown},
        {view.rootItem(), "Failed getting parent of selected item"},
        {nullptr, "Failed getting selected item"},
    };
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    for (const auto& [item, message] : cases) {
        hub->logs.clear();
        view.setCurrentItem(item);
        QApplication::sendEvent(&view, &del);
        EXPECT_THAT(logs(3), ElementsAre("CProjectTree::OnFileRemove()|" + message));
        EXPECT_THAT(logs(2), ElementsAre("Failed to remove source file"));
    }
    EXPECT_EQ(view.externalGroup()->childCount(), 1);
    EXPECT_EQ(project.srcFiles().size(), 1u);
    EXPECT_EQ(commands.saves, 0);
}

TEST_F(ProjectTreeFlowsTest, RemoveTakesTheFileOutOfProjectAndTree) {
    struct Case {
        std::string file;
        int kind;
    };
    writeFile("demo\\default\\demo.lis");
    project.setOutputDirectory("default\\");
    project.addOtherFile(SourceFile("default\\demo.lis"));
    CProjectTree& view = makeTreeWithFiles();
    const std::vector<Case> cases = {{"main.c", CProjectTree::kSourceFile},
                                     {"io.h", CProjectTree::kHeaderFile},
                                     {"default\\demo.lis", CProjectTree::kOtherFile}};
    BuildTreeView& buildView = view;
    for (const Case& c : cases) {
        works.closedFiles.clear();
        hub->logs.clear();
        project.setDirty(false);
        ASSERT_TRUE(buildView.containsFile(c.file));
        buildView.removeFile(windows(c.file));
        EXPECT_FALSE(buildView.containsFile(c.file));
        EXPECT_THAT(texts(view.groupOfKind(c.kind)), IsEmpty());
        EXPECT_THAT(works.closedFiles, ElementsAre(windows(c.file), windows(c.file)));
        EXPECT_THAT(logs(3), Contains("CProjectTree::OnFileRemove()|Removed file " +
                                      windows(c.file) + " from project"));
        EXPECT_TRUE(project.isDirty());
        EXPECT_TRUE(onDisk("demo\\" + c.file));
    }
    EXPECT_TRUE(project.srcFiles().empty() && project.hdrFiles().empty() &&
                project.otherFiles().empty());
    EXPECT_EQ(commands.saves, 3);
    // Nothing is removed for a name the tree does not show.
    buildView.removeFile("other.c");
    buildView.removeFile("");
    EXPECT_THAT(logs(2), IsEmpty());
}

TEST_F(ProjectTreeFlowsTest, RenameRenamesOnDiskAndInTheProject) {
    writeFile("demo\\src\\uart.c");
    project.addSrcFile(SourceFile("src\\uart.c"));
    CProjectTree& view = makeTree();
    works.openInEditor.insert(windows("src\\uart.c"));
    select(view.sourceGroup(), "uart.c");
    answerDialogs("serial.c", "newName", "rename");
    view.flows().renameSelectedFile();

    EXPECT_FALSE(onDisk("demo\\src\\uart.c"));
    EXPECT_TRUE(onDisk("demo\\src\\serial.c"));
    EXPECT_EQ(project.srcFiles().front().fullName(), "src\\serial.c");
    EXPECT_THAT(texts(view.sourceGroup()), ElementsAre("serial.c"));
    EXPECT_THAT(works.closedFiles, ElementsAre(windows("src\\uart.c")));
    EXPECT_THAT(works.openedFiles, ElementsAre(std::make_pair(windows("src\\serial.c"), 0L)));
    EXPECT_THAT(logs(0), ElementsAre("Renamed file from uart.c to serial.c"));
    EXPECT_TRUE(project.isDirty());
    EXPECT_EQ(commands.saves, 1);
}

TEST_F(ProjectTreeFlowsTest, RenameCancelledOrFailedChangesNothing) {
    CProjectTree& view = makeTreeWithFiles();
    select(view.sourceGroup(), "main.c");
    cancelDialogs();
    view.flows().renameSelectedFile();
    EXPECT_EQ(modalDialogs, std::vector<std::string>{"avrtazu::CRenameFileDialog"});
    EXPECT_TRUE(onDisk("demo\\main.c"));

    // The file vanished from disk behind the tree's back.
    std::filesystem::remove(linux("demo/main.c"));
    answerDialogs("start.c", "newName", "rename");
    view.flows().renameSelectedFile();
    EXPECT_THAT(logs(2), ElementsAre("Failed Renaming file, No such file or directory"));
    EXPECT_EQ(project.srcFiles().front().fullName(), "main.c");
    EXPECT_FALSE(project.isDirty());
    EXPECT_THAT(works.closedFiles, IsEmpty());
    EXPECT_EQ(commands.saves, 0);
}

TEST_F(ProjectTreeFlowsTest, DeleteAsksThenRemovesAndDeletesTheFile) {
    CProjectTree& view = makeTreeWithFiles();
    select(view.sourceGroup(), "main.c");
    dialogs.queueAnswer(MessageAnswer::No);
    view.flows().deleteSelectedFile();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, "Really delete the project file main.c ?");
    EXPECT_EQ(dialogs.messages()[0].caption, "Delete project file?");
    EXPECT_EQ(dialogs.messages()[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(onDisk("demo\\main.c"));
    EXPECT_EQ(project.srcFiles().size(), 1u);

    view.flows().deleteSelectedFile();
    EXPECT_FALSE(onDisk("demo\\main.c"));
    EXPECT_TRUE(project.srcFiles().empty());
    EXPECT_THAT(texts(view.sourceGroup()), IsEmpty());
    EXPECT_THAT(logs(0), ElementsAre("Deleted file " + windows("main.c")));
}

TEST_F(ProjectTreeFlowsTest, DeleteOfAFileGoneFromDiskStillRemovesItAndReports) {
    CProjectTree& view = makeTreeWithFiles();
    std::filesystem::remove(linux("demo/io.h"));
    select(view.headerGroup(), "io.h");
    view.flows().deleteSelectedFile();
    EXPECT_TRUE(project.hdrFiles().empty());
    const std::string failure = "Failed to delete file, Error 2: No such file or directory";
    EXPECT_THAT(logs(2), ElementsAre(failure));
    EXPECT_EQ(logs(3).back(), "CProjectTree::OnFileDelete()|" + failure);
}

TEST_F(ProjectTreeFlowsTest, CompileMakesTheObjectFileTarget) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"main.c", "main.o"}, {"a.b.c", "a.b.o"}, {"README", ".o"}, {"START.S", "START.o"}};
    CProjectTree& view = makeTree();
    for (const auto& [file, target] : cases) {
        view.insertFileItem(windows(file), view.sourceGroup(), true);
        select(view.sourceGroup(), file);
        commands.targets.clear();
        const std::unique_ptr<QMenu> menu = view.createContextMenu(view.currentItem());
        menu->actions().front()->trigger();
        EXPECT_THAT(commands.targets, ElementsAre(target)) << file;
    }
}

TEST_F(ProjectTreeFlowsTest, PropertyDialogsRunModallyAndFileErrorsAreLogged) {
    CProjectTree& view = makeTreeWithFiles();
    cancelDialogs();
    view.setCurrentItem(view.rootItem());
    view.flows().showProjectProperties();
    select(view.sourceGroup(), "main.c");
    view.flows().showFileProperties();
    EXPECT_THAT(modalDialogs,
                ElementsAre("avrtazu::CProjectPropertiesDialog", "avrtazu::CPropertiesDialog"));

    // A file that cannot be read opens nothing; the reason goes to the log as an error only.
    std::filesystem::remove(linux("demo/main.c"));
    hub->logs.clear();
    view.flows().showFileProperties();
    EXPECT_EQ(modalDialogs.size(), 2u);
    EXPECT_THAT(logs(2), ElementsAre(windows("main.c") + ": No such file or directory"));
    EXPECT_THAT(logs(3), IsEmpty());
}

} // namespace
} // namespace avrtazu::treetest
