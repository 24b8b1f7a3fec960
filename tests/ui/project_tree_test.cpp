#include "ui/ui_test_support.h"

#include "build/build_tree_view.h"
#include "ui/project_tree.h"
#include "ui/project_tree_flows.h"
#include "ui/tree_commands.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <gmock/gmock.h>

namespace avrtazu::uitest {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Flow = void (ProjectTreeFlows::*)();

// The plug-in object as the tree sees it: records what the tree asks for.
class RecordingCommands : public TreeCommands {
public:
    HRESULT ExecuteCommand(long command) override {
        commands.push_back(command);
        return S_OK;
    }
    void makeTarget(const std::string& target) override { targets.push_back(target); }
    void saveProject() override { ++saves; }

    std::vector<long> commands;
    Names targets;
    int saves = 0;
};

// A tree over the project in C:\demo\, which is also the current folder, with the works as the
// host and a recording plug-in object.
class ProjectTreeTest : public DriveTest {
protected:
    // Files stored relative to the project are looked for in the current folder.
    ProjectTreeTest() : m_previousFolder(std::filesystem::current_path()) {
        std::filesystem::current_path(drive.linux("demo"));
        PlugInUtility::instance().setHost(&works);
    }
    ~ProjectTreeTest() override {
        tree.reset();
        std::filesystem::current_path(m_previousFolder);
    }

    CProjectTree& makeTree() {
        tree = std::make_unique<CProjectTree>(project, commands);
        tree->initialize();
        return *tree;
    }
    // main.c and io.h on disk and in the project, then the tree; the log cleared.
    CProjectTree& makeTreeWithFiles() {
        drive.write("demo\\main.c", "");
        drive.write("demo\\io.h", "");
        project.addSrcFile(SourceFile("main.c"));
        project.addHdrFile(SourceFile("io.h"));
        makeTree();
        hub->logs.clear();
        return *tree;
    }
    QTreeWidgetItem* select(QTreeWidgetItem* group, const std::string& text) {
        for (int i = 0; i < group->childCount(); ++i) {
            if (group->child(i)->text(0).toStdString() == text) {
                tree->setCurrentItem(group->child(i));
                return group->child(i);
            }
        }
        ADD_FAILURE() << "no item " << text;
        return nullptr;
    }

    RecordingCommands commands;
    std::unique_ptr<CProjectTree> tree;

private:
    std::filesystem::path m_previousFolder;
};

void press(QWidget& widget, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

Names fullNames(const std::list<SourceFile>& files) {
    Names names;
    for (const SourceFile& file : files) {
        names.push_back(file.fullName());
    }
    return names;
}

QAction* entry(QMenu& menu, const std::string& text) {
    for (QAction* action : menu.actions()) {
        if (action->text().toStdString() == text) {
            return action;
        }
    }
    ADD_FAILURE() << "no entry " << text;
    return nullptr;
}

TEST_F(ProjectTreeTest, RootHoldsTheFourGroupsAndNamesProjectAndConfiguration) {
    CProjectTree& view = makeTree();
    ASSERT_EQ(view.topLevelItemCount(), 1);
    EXPECT_EQ(view.topLevelItem(0), view.rootItem());
    EXPECT_THAT(entries(view.rootItem()), ElementsAre("Header files", "Source files",
                                                      "External dependencies", "Other files"));
    EXPECT_TRUE(view.rootItem()->isExpanded());
    EXPECT_FALSE(view.rootItem()->icon(0).isNull());
    EXPECT_FALSE(view.externalGroup()->icon(0).isNull());
    EXPECT_EQ(view.host(), &works);
    EXPECT_TRUE(view.acceptDrops());
    EXPECT_THAT(logs(2), IsEmpty());

    // A clean project loses every "*" of its root text; a dirty one gets one more.
    project.setName("a*b");
    for (const auto& [dirty, expected] : std::vector<std::pair<bool, std::string>>{
             {false, "ab (default)"}, {true, "a*b (default)*"}}) {
        project.setDirty(dirty);
        view.updateControlDataFromProject();
        EXPECT_EQ(view.rootItem()->text(0).toStdString(), expected);
    }
}

TEST_F(ProjectTreeTest, MissingActiveConfigurationIsReportedOnRefreshAndInitialize) {
    CProjectTree& view = makeTree();
    EXPECT_THROW(project.setActiveConfiguration("none"), std::runtime_error);
    hub->logs.clear();
    view.updateControlDataFromProject();
    EXPECT_THAT(logs(3), ElementsAre("CProjectTree::updateControlDataFromProject()|"
                                     "Project::currentConfigName(): Invalid Configuration"));
    EXPECT_THAT(logs(2), ElementsAre("Could not insert Project data into Project tree"));

    hub->logs.clear();
    view.initialize();
    EXPECT_THAT(logs(3), ElementsAre("CProjectTree::initialize()|"
                                     "Project::currentConfigName(): Invalid Configuration"));
    EXPECT_THAT(logs(2), ElementsAre("Could not initialize Tree control."));
    // The fixed items exist, so a later refresh has somewhere to go.
    EXPECT_NE(view.sourceGroup(), nullptr);
}

TEST_F(ProjectTreeTest, FileKindFollowsTheExtensionCaseSensitively) {
    using T = CProjectTree;
    const std::vector<std::pair<std::string, int>> cases = {
        {"main.c", T::kSourceFile},  {"MAIN.C", T::kSourceFile},
        {"start.s", T::kSourceFile}, {"start.S", T::kSourceFile},
        {"io.h", T::kHeaderFile},    {"IO.H", T::kHeaderFile},
        {"a.c.h", T::kHeaderFile},   {"io.hpp", T::kOtherFile},
        {"Makefile", T::kOtherFile}, {"", T::kNoFile}};
    for (const auto& [name, kind] : cases) {
        EXPECT_EQ(CProjectTree::fileKind(name), kind) << name;
    }
}

TEST_F(ProjectTreeTest, RefreshShowsExistingProjectFilesAndKeepsMissingOnesInTheProject) {
    for (const char* file : {"demo\\main.c", "demo\\src\\uart.c", "ext\\lib.c", "demo\\io.h"}) {
        drive.write(file, "");
    }
    for (const char* file : {"main.c", "gone.c", "src\\uart.c", "C:\\ext\\lib.c"}) {
        project.addSrcFile(SourceFile(file));
    }
    project.addHdrFile(SourceFile("io.h"));
    CProjectTree& view = makeTree();

    EXPECT_THAT(entries(view.sourceGroup()), ElementsAre("main.c", "uart.c", "lib.c"));
    EXPECT_THAT(entries(view.headerGroup()), ElementsAre("io.h"));
    EXPECT_EQ(project.srcFiles().size(), 4u);
    EXPECT_TRUE(view.sourceGroup()->isExpanded());

    // The project drops records behind the tree's back; a refresh forgets them.
    project.removeSrcFile("main.c");
    project.removeHdrFile("io.h");
    view.updateControlDataFromProject();
    EXPECT_THAT(entries(view.sourceGroup()), ElementsAre("uart.c", "lib.c"));
    EXPECT_THAT(entries(view.headerGroup()), IsEmpty());
}

TEST_F(ProjectTreeTest, OtherFilesAreShownOnlyFromTheOutputFolder) {
    for (const char* file :
         {"default\\demo.lis", "default\\demo.mp", "notes.txt", "other\\x.lis"}) {
        drive.write(std::string("demo\\") + file, "");
        project.addOtherFile(SourceFile(file));
    }
    project.addOtherFile(SourceFile("default\\missing.mp"));
    CProjectTree& view = makeTree();
    for (const auto& [outputDir, shown] : std::vector<std::pair<std::string, Names>>{
             {"default\\", {"demo.lis", "demo.mp"}}, {"", {"notes.txt"}}}) {
        project.setOutputDirectory(outputDir);
        view.updateControlDataFromProject();
        EXPECT_EQ(entries(view.otherGroup()), shown) << outputDir;
    }
}

TEST_F(ProjectTreeTest, ExternalDependenciesComeFromLibrariesAndDependencyFiles) {
    project.setOutputDirectory("default\\");
    drive.write("demo\\main.c", "");
    project.addSrcFile(SourceFile("main.c"));
    project.addHdrFile(SourceFile("own.h"));
    for (const char* file :
         {"libs\\libm.a", "tc\\lib\\libc.a", "inc\\uart.h", "demo\\default\\io.h"}) {
        drive.write(file, "");
    }
    drive.write("demo\\default\\dep\\main.o.d",
                "main.o: ..\\main.c io.h C:\\inc\\uart.h C:\\inc\\missing.h own.h \n");
    project.addLibraryDirectory("C:\\libs");
    project.addLibrary("libm.a");
    project.addLibrary("libc.a");
    PlugInUtility::instance().setLibraryDirectory("C:\\tc\\lib");

    CProjectTree& view = makeTree();
    EXPECT_THAT(entries(view.externalGroup()), ElementsAre("libm.a", "libc.a", "io.h", "uart.h"));
    view.toggleShowPaths();
    EXPECT_THAT(
        entries(view.externalGroup()),
        ElementsAre("C:\\libs\\libm.a", "C:\\tc\\lib\\libc.a", "default\\io.h", "C:\\inc\\uart.h"));

    project.setUsesExtMakefile(true);
    view.updateControlDataFromProject();
    EXPECT_THAT(entries(view.externalGroup()), IsEmpty());
}

TEST_F(ProjectTreeTest, ShowFilePathsEntrySwitchesEveryItemBetweenNameAndStoredName) {
    drive.write("demo\\src\\uart.c", "");
    drive.write("ext\\io.h", "");
    project.addSrcFile(SourceFile("src\\uart.c"));
    project.addHdrFile(SourceFile("C:\\ext\\io.h"));
    CProjectTree& view = makeTree();
    for (const bool on : {true, false}) {
        const std::unique_ptr<QMenu> menu = view.createContextMenu(nullptr);
        QAction* action = entry(*menu, "Show file paths");
        EXPECT_TRUE(action->isCheckable());
        EXPECT_EQ(action->isChecked(), !on);
        action->trigger();
        EXPECT_EQ(view.showPaths(), on);
        EXPECT_EQ(entries(view.sourceGroup()), Names{on ? "src\\uart.c" : "uart.c"});
        EXPECT_EQ(entries(view.headerGroup()), Names{on ? "C:\\ext\\io.h" : "io.h"});
    }
    // Items made while paths are shown show them at once.
    view.toggleShowPaths();
    view.insertFileItem(windows("new\\x.c"), view.sourceGroup(), true);
    EXPECT_EQ(entries(view.sourceGroup()).back(), "new\\x.c");
}

TEST_F(ProjectTreeTest, FindFileItemMatchesRelativeAndAbsoluteNamesExactly) {
    drive.write("demo\\main.c", "");
    drive.write("ext\\lib.c", "");
    project.addSrcFile(SourceFile("main.c"));
    project.addSrcFile(SourceFile("C:\\ext\\lib.c"));
    CProjectTree& view = makeTree();
    const std::vector<std::pair<std::string, bool>> cases = {
        {"main.c", true},           {"Main.c", false},
        {"C:\\demo\\main.c", true}, {"c:\\demo\\main.c", false},
        {"C:\\ext\\lib.c", true},   {"..\\ext\\lib.c", false}};
    for (const auto& [name, found] : cases) {
        EXPECT_EQ(view.findFileItem(view.sourceGroup(), name) != nullptr, found) << name;
        EXPECT_EQ(view.containsFile(name), found) << name;
    }
    EXPECT_EQ(view.findFileItem(view.headerGroup(), "main.c"), nullptr);
}

TEST_F(ProjectTreeTest, InsertFileItemRefusesEmptyNamesAndForeignParents) {
    CProjectTree& view = makeTree();
    const std::vector<std::tuple<std::string, QTreeWidgetItem*, bool, std::string>> cases = {
        {"", view.sourceGroup(), true, "File name is empty"},
        {"x.c", view.externalGroup(), true, "Invalid parent item"},
        {"x.c", view.rootItem(), false, "Invalid parent item"},
    };
    for (const auto& [name, group, addToProject, error] : cases) {
        try {
            view.insertFileItem(name, group, addToProject);
            ADD_FAILURE() << "accepted " << name;
        } catch (const std::runtime_error& refusal) {
            EXPECT_EQ(std::string(refusal.what()), error) << name;
        }
    }
    EXPECT_TRUE(project.srcFiles().empty() && project.otherFiles().empty());
    EXPECT_EQ(view.rootItem()->childCount(), 4);
    EXPECT_EQ(commands.saves, 0);
}

TEST_F(ProjectTreeTest, ContextMenuEntriesFollowTheSelectedItem) {
    drive.write("demo\\notes.txt", "");
    drive.write("libs\\libm.a", "");
    project.addOtherFile(SourceFile("notes.txt"));
    project.setOutputDirectory("");
    project.addLibraryDirectory("C:\\libs");
    project.addLibrary("libm.a");
    CProjectTree& view = makeTreeWithFiles();

    const Names fileEntries = {"Remove file from project", "Rename file...", "Delete file...",
                               "File properties...", "-"};
    Names sourceEntries = {"Compile file"};
    sourceEntries.insert(sourceEntries.end(), fileEntries.begin(), fileEntries.end());
    const std::vector<std::pair<QTreeWidgetItem*, Names>> cases = {
        {view.rootItem(),
         {"Build Project", "Rebuild Project", "Clean project", "Add existing file...",
          "Create new file...", "Properties...", "-"}},
        {view.headerGroup(), {"Add existing header file(s)...", "Create new header file...", "-"}},
        {view.sourceGroup(), {"Add existing source file(s)...", "Create new source file...", "-"}},
        {view.sourceGroup()->child(0), sourceEntries},
        {view.headerGroup()->child(0), fileEntries},
        {view.otherGroup()->child(0), fileEntries},
        {view.externalGroup()->child(0), {"File properties...", "-"}},
        {view.externalGroup(), {}},
        {nullptr, {}},
    };
    for (auto [item, expected] : cases) {
        const std::unique_ptr<QMenu> menu = view.createContextMenu(item);
        Names shown;
        for (QAction* action : menu->actions()) {
            shown.push_back(action->isSeparator() ? "-" : action->text().toStdString());
        }
        expected.push_back("Show file paths");
        expected.push_back("Edit project options...");
        EXPECT_EQ(shown, expected) << (item ? item->text(0).toStdString() : "no item");
    }
}

TEST_F(ProjectTreeTest, RightClickSelectsTheItemUnderTheCursorOrNone) {
    CProjectTree& view = makeTreeWithFiles();
    view.resize(300, 600);
    view.show();
    QTreeWidgetItem* file = view.sourceGroup()->child(0);
    const std::vector<std::pair<QPoint, QTreeWidgetItem*>> cases = {
        {view.visualItemRect(file).center(), file}, {QPoint(5, 590), nullptr}};
    for (const auto& [point, selected] : cases) {
        view.setCurrentItem(view.rootItem());
        QTimer::singleShot(0, [] {
            if (QWidget* menu = QApplication::activePopupWidget()) {
                menu->close();
            }
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, point,
                                view.viewport()->mapToGlobal(point));
        QApplication::sendEvent(view.viewport(), &click);
        EXPECT_EQ(view.currentItem(), selected) << point.y();
    }
    EXPECT_THAT(logs(2), IsEmpty());
}

TEST_F(ProjectTreeTest, MenuEntriesRunThePlugInCommandsAndCompileTheObjectFile) {
    CProjectTree& view = makeTree();
    const std::vector<std::pair<std::string, long>> cases = {{"Build Project", 0},
                                                             {"Rebuild Project", 2},
                                                             {"Clean project", 4},
                                                             {"Edit project options...", 5}};
    for (const auto& [text, command] : cases) {
        commands.commands.clear();
        entry(*view.createContextMenu(view.rootItem()), text)->trigger();
        EXPECT_THAT(commands.commands, ElementsAre(command)) << text;
    }
    for (const auto& [file, target] : std::vector<std::pair<std::string, std::string>>{
             {"main.c", "main.o"}, {"a.b.c", "a.b.o"}}) {
        view.insertFileItem(windows(file), view.sourceGroup(), true);
        select(view.sourceGroup(), file);
        commands.targets.clear();
        entry(*view.createContextMenu(view.currentItem()), "Compile file")->trigger();
        EXPECT_THAT(commands.targets, ElementsAre(target)) << file;
    }
}

TEST_F(ProjectTreeTest, ReturnOpensFilesAndTogglesGroups) {
    drive.write("demo\\src\\uart.c", "");
    project.addSrcFile(SourceFile("src\\uart.c"));
    CProjectTree& view = makeTree();
    view.setCurrentItem(view.sourceGroup()->child(0));
    press(view, Qt::Key_Return);
    EXPECT_THAT(works.openedFiles, ElementsAre(std::make_pair(windows("src\\uart.c"), 0L)));

    view.setCurrentItem(view.sourceGroup());
    ASSERT_TRUE(view.sourceGroup()->isExpanded());
    press(view, Qt::Key_Return);
    EXPECT_FALSE(view.sourceGroup()->isExpanded());
    press(view, Qt::Key_Return);
    EXPECT_TRUE(view.sourceGroup()->isExpanded());
    EXPECT_EQ(works.openedFiles.size(), 1u);
}

TEST_F(ProjectTreeTest, DroppedFilesArriveAsWindowsPathsInTheirGroupsUpToTheFirstError) {
    CProjectTree& view = makeTreeWithFiles();
    QMimeData data;
    QList<QUrl> urls;
    for (const char* file : {"demo\\a.c", "demo\\b.H", "outside\\notes.txt"}) {
        urls << QUrl::fromLocalFile(QString::fromStdString(drive.write(file, "")));
    }
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &drop);
    EXPECT_THAT(fullNames(project.srcFiles()), ElementsAre("main.c", "a.c"));
    EXPECT_THAT(fullNames(project.hdrFiles()), ElementsAre("io.h", "b.H"));
    EXPECT_THAT(fullNames(project.otherFiles()), ElementsAre("C:\\outside\\notes.txt"));
    EXPECT_THAT(entries(view.otherGroup()), ElementsAre("notes.txt"));

    view.flows().dropFiles(Names(257, windows("c.c")));
    EXPECT_THAT(logs(2), ElementsAre("Could not add project files to project tree: Only 256 "
                                     "number of files can be dropped onto the source tree"));
    hub->logs.clear();
    view.flows().dropFiles({windows("b.c"), windows("main.c"), windows("c.c")});
    EXPECT_THAT(entries(view.sourceGroup()), ElementsAre("main.c", "a.c", "b.c"));
    const std::string duplicate = windows("main.c") + " is already a part of this project.";
    EXPECT_THAT(logs(3), ElementsAre("CProjectTree::OnDropFiles()|" + duplicate));
    EXPECT_THAT(logs(2), ElementsAre("Could not add project files to project tree: " + duplicate));
}

TEST_F(ProjectTreeTest, TreeFollowsTheSizeOfItsDockedWindow) {
    QWidget dock;
    dock.resize(200, 300);
    dock.show();
    CProjectTree& view = makeTree();
    view.createWindow(&dock);
    EXPECT_EQ(view.parentWidget(), &dock);
    EXPECT_EQ(view.controlId(), 2001);
    EXPECT_EQ(view.geometry(), QRect(0, 0, 200, 300));

    dock.resize(150, 400);
    EXPECT_EQ(view.geometry(), QRect(0, 0, 150, 400));
    view.onSize(0, 10, 10);
    EXPECT_EQ(view.geometry(), QRect(0, 0, 150, 400));
    EXPECT_THAT(logs(3), Contains("CProjectTree::OnSize()|CProjectTree::Onsize: , cx=150, "
                                  "cy = 400, nType = 9"));
    EXPECT_EQ(logs(3).back(), "CProjectTree::OnSize()|");
    view.setParent(nullptr);
}

TEST_F(ProjectTreeTest, AddExistingFilesPutsEveryChoiceIntoTheGroupUpToTheFirstDuplicate) {
    struct Case {
        Flow flow;
        std::string title, filter, context, error;
        bool dirtyAfterCancel;
    };
    const std::vector<Case> cases = {
        {&ProjectTreeFlows::addHeaderFiles, "Add header file to project",
         "Header File (*.h)|*.h;|All Files(*.*)|*.*|", "CProjectTree::OnAddHeaderFile()",
         "Error adding header file", false},
        {&ProjectTreeFlows::addSourceFiles, "Add source file",
         "Source File (*.c)|*.c;|All Files(*.*)|*.*|", "CProjectTree::OnAddSourceFile()",
         "Error adding source file", true},
    };
    makeTree();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        project.setDirty(false);
        dialogs.clear();
        commands.saves = 0;
        hub->logs.clear();
        (tree->flows().*c.flow)();
        ASSERT_EQ(dialogs.dialogs().size(), 1u);
        EXPECT_EQ(dialogs.dialogs()[0].title, c.title);
        EXPECT_EQ(dialogs.dialogs()[0].filter, c.filter);
        EXPECT_EQ(dialogs.dialogs()[0].startFolder, "C:\\demo\\");
        EXPECT_TRUE(dialogs.dialogs()[0].allowMultiple);
        EXPECT_EQ(project.isDirty(), c.dirtyAfterCancel);

        dialogs.queueOpenFiles({windows("notes.txt"), "C:\\ext\\b.c", windows("sub\\c.h")});
        (tree->flows().*c.flow)();
        dialogs.queueOpenFiles({windows("first.x"), windows("notes.txt"), windows("never.x")});
        (tree->flows().*c.flow)();
        const bool headers = c.flow == &ProjectTreeFlows::addHeaderFiles;
        EXPECT_THAT(entries(headers ? tree->headerGroup() : tree->sourceGroup()),
                    ElementsAre("notes.txt", "b.c", "c.h", "first.x"));
        EXPECT_THAT(fullNames(headers ? project.hdrFiles() : project.srcFiles()),
                    ElementsAre("notes.txt", "C:\\ext\\b.c", "sub\\c.h", "first.x"));
        EXPECT_EQ(commands.saves, 4);
        EXPECT_TRUE(project.isDirty());
        EXPECT_THAT(logs(3), ElementsAre(c.context + "|" + windows("notes.txt") +
                                         " is already a part of this project."));
        EXPECT_THAT(logs(2), ElementsAre(c.error));
    }
}

TEST_F(ProjectTreeTest, AddExistingFileSortsByKindAndSkipsOnlyTheDuplicate) {
    CProjectTree& view = makeTreeWithFiles();
    dialogs.queueOpenFiles({windows("a.c"), "main.c", windows("b.H"), windows("notes.txt")});
    press(view, Qt::Key_Insert);

    ASSERT_EQ(dialogs.dialogs().size(), 1u);
    EXPECT_EQ(dialogs.dialogs()[0].title, "Add Project file");
    EXPECT_EQ(dialogs.dialogs()[0].filter, "All files(*.*)|*.*|");
    EXPECT_THAT(entries(view.sourceGroup()), ElementsAre("main.c", "a.c"));
    EXPECT_THAT(entries(view.headerGroup()), ElementsAre("io.h", "b.H"));
    EXPECT_THAT(entries(view.otherGroup()), ElementsAre("notes.txt"));
    EXPECT_THAT(logs(3), ElementsAre("CProjectTree::addFileToProject()|main.c is already a part "
                                     "of this project."));
    EXPECT_THAT(logs(2), ElementsAre("Error adding source file"));
    // Several files: none is opened; a single one is.
    EXPECT_THAT(works.openedFiles, IsEmpty());
    dialogs.queueOpenFiles({"C:\\ext\\one.c"});
    view.flows().addProjectFiles();
    EXPECT_THAT(works.openedFiles, ElementsAre(std::make_pair(std::string("C:\\ext\\one.c"), 0L)));
}

TEST_F(ProjectTreeTest, CreateNewFileAddsByVariantAndOpensIt) {
    struct Case {
        Flow flow;
        std::string name;
        int group; // the kind whose group receives the file, or kNoFile
        std::string refusal;
    };
    const std::vector<Case> cases = {
        {&ProjectTreeFlows::createHeaderFile, "x.h", CProjectTree::kHeaderFile, ""},
        {&ProjectTreeFlows::createHeaderFile, "x.c", CProjectTree::kNoFile, "Not a header file"},
        {&ProjectTreeFlows::createSourceFile, "y.S", CProjectTree::kSourceFile, ""},
        {&ProjectTreeFlows::createSourceFile, "y.h", CProjectTree::kNoFile, "Not a source file"},
        {&ProjectTreeFlows::createProjectFile, "z.txt", CProjectTree::kOtherFile, ""},
    };
    makeTree();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hub->logs.clear();
        works.openedFiles.clear();
        project.setDirty(false);
        answerDialogs(c.name, "fileName");
        (tree->flows().*c.flow)();
        const std::string path = windows(c.name);
        EXPECT_TRUE(onDisk("demo\\" + c.name));
        if (c.group == CProjectTree::kNoFile) {
            EXPECT_THAT(logs(0), ElementsAre("Did not add file " + path + ": " + c.refusal));
            EXPECT_FALSE(tree->containsFile(c.name));
            EXPECT_THAT(works.openedFiles, IsEmpty());
            EXPECT_FALSE(project.isDirty());
            continue;
        }
        EXPECT_NE(tree->findFileItem(tree->groupOfKind(c.group), c.name), nullptr);
        EXPECT_THAT(logs(0), ElementsAre("Created and added " + path + " to the project"));
        EXPECT_THAT(works.openedFiles, ElementsAre(std::make_pair(path, 0L)));
        EXPECT_TRUE(project.isDirty());
    }
    EXPECT_THAT(logs(2), IsEmpty());

    cancelDialogs();
    const std::size_t before = project.srcFiles().size();
    tree->flows().createSourceFile();
    EXPECT_EQ(project.srcFiles().size(), before);
}

TEST_F(ProjectTreeTest, RemoveTakesProjectFilesOutOfProjectAndTreeAndRefusesOtherItems) {
    drive.write("libs\\libm.a", "");
    drive.write("demo\\default\\demo.lis", "");
    project.addLibraryDirectory("C:\\libs");
    project.addLibrary("libm.a");
    project.setOutputDirectory("default\\");
    project.addOtherFile(SourceFile("default\\demo.lis"));
    CProjectTree& view = makeTreeWithFiles();
    const std::string unknown = "Error removing item, Parent item is of unknown type";
    const std::vector<std::pair<QTreeWidgetItem*, std::string>> refusals = {
        {view.externalGroup()->child(0), unknown},
        {view.sourceGroup(), unknown},
        {view.rootItem(), "Failed getting parent of selected item"},
        {nullptr, "Failed getting selected item"},
    };
    for (const auto& [item, message] : refusals) {
        hub->logs.clear();
        view.setCurrentItem(item);
        press(view, Qt::Key_Delete);
        EXPECT_THAT(logs(3), ElementsAre("CProjectTree::OnFileRemove()|" + message));
        EXPECT_THAT(logs(2), ElementsAre("Failed to remove source file"));
    }
    EXPECT_EQ(view.externalGroup()->childCount(), 1);
    EXPECT_EQ(commands.saves, 0);

    const std::vector<std::pair<std::string, int>> removals = {
        {"main.c", CProjectTree::kSourceFile},
        {"io.h", CProjectTree::kHeaderFile},
        {"default\\demo.lis", CProjectTree::kOtherFile}};
    BuildTreeView& buildView = view;
    for (const auto& [file, kind] : removals) {
        works.closedFiles.clear();
        hub->logs.clear();
        project.setDirty(false);
        ASSERT_TRUE(buildView.containsFile(file));
        buildView.removeFile(windows(file));
        EXPECT_FALSE(buildView.containsFile(file));
        EXPECT_THAT(entries(view.groupOfKind(kind)), IsEmpty());
        EXPECT_THAT(works.closedFiles, ElementsAre(windows(file), windows(file)));
        EXPECT_THAT(logs(3), Contains("CProjectTree::OnFileRemove()|Removed file " + windows(file) +
                                      " from project"));
        EXPECT_TRUE(project.isDirty());
        EXPECT_TRUE(onDisk("demo\\" + file));
    }
    EXPECT_TRUE(project.srcFiles().empty() && project.hdrFiles().empty() &&
                project.otherFiles().empty());
    EXPECT_EQ(commands.saves, 3);
    // Nothing is removed for a name the tree does not show.
    buildView.removeFile("other.c");
    buildView.removeFile("");
    EXPECT_THAT(logs(2), IsEmpty());
}

TEST_F(ProjectTreeTest, RenameRenamesOnDiskAndInTheProjectUnlessCancelledOrFailed) {
    drive.write("demo\\src\\uart.c", "");
    project.addSrcFile(SourceFile("src\\uart.c"));
    CProjectTree& view = makeTreeWithFiles();
    select(view.sourceGroup(), "main.c");
    cancelDialogs();
    view.flows().renameSelectedFile();
    EXPECT_THAT(modalDialogs, ElementsAre("avrtazu::CRenameFileDialog"));
    EXPECT_TRUE(onDisk("demo\\main.c"));

    // The file vanished from disk behind the tree's back.
    std::filesystem::remove(drive.linux("demo/main.c"));
    answerDialogs("start.c", "newName", "rename");
    view.flows().renameSelectedFile();
    EXPECT_THAT(logs(2), ElementsAre("Failed Renaming file, No such file or directory"));
    EXPECT_THAT(fullNames(project.srcFiles()), ElementsAre("src\\uart.c", "main.c"));
    EXPECT_FALSE(project.isDirty());
    EXPECT_EQ(commands.saves, 0);

    works.openInEditor.insert(windows("src\\uart.c"));
    select(view.sourceGroup(), "uart.c");
    answerDialogs("serial.c", "newName", "rename");
    view.flows().renameSelectedFile();
    EXPECT_FALSE(onDisk("demo\\src\\uart.c"));
    EXPECT_TRUE(onDisk("demo\\src\\serial.c"));
    EXPECT_THAT(fullNames(project.srcFiles()), ElementsAre("src\\serial.c", "main.c"));
    EXPECT_THAT(entries(view.sourceGroup()), ElementsAre("serial.c"));
    EXPECT_THAT(works.closedFiles, ElementsAre(windows("src\\uart.c")));
    EXPECT_THAT(works.openedFiles, ElementsAre(std::make_pair(windows("src\\serial.c"), 0L)));
    EXPECT_THAT(logs(0), ElementsAre("Renamed file from uart.c to serial.c"));
    EXPECT_TRUE(project.isDirty());
    EXPECT_EQ(commands.saves, 1);
}

TEST_F(ProjectTreeTest, DeleteAsksThenRemovesAndDeletesTheFile) {
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
    EXPECT_THAT(entries(view.sourceGroup()), IsEmpty());
    EXPECT_THAT(logs(0), ElementsAre("Deleted file " + windows("main.c")));

    // A file gone from disk still leaves the project, and the failure is reported.
    std::filesystem::remove(drive.linux("demo/io.h"));
    select(view.headerGroup(), "io.h");
    view.flows().deleteSelectedFile();
    EXPECT_TRUE(project.hdrFiles().empty());
    const std::string failure = "Failed to delete file, Error 2: No such file or directory";
    EXPECT_THAT(logs(2), ElementsAre(failure));
    EXPECT_EQ(logs(3).back(), "CProjectTree::OnFileDelete()|" + failure);
}

TEST_F(ProjectTreeTest, PropertyDialogsRunModallyAndFileErrorsAreLogged) {
    CProjectTree& view = makeTreeWithFiles();
    cancelDialogs();
    view.setCurrentItem(view.rootItem());
    view.flows().showProjectProperties();
    select(view.sourceGroup(), "main.c");
    view.flows().showFileProperties();
    EXPECT_THAT(modalDialogs,
                ElementsAre("avrtazu::CProjectPropertiesDialog", "avrtazu::CPropertiesDialog"));

    // A file that cannot be read opens nothing; the reason goes to the log as an error only.
    std::filesystem::remove(drive.linux("demo/main.c"));
    hub->logs.clear();
    view.flows().showFileProperties();
    EXPECT_EQ(modalDialogs.size(), 2u);
    EXPECT_THAT(logs(2), ElementsAre(windows("main.c") + ": No such file or directory"));
    EXPECT_THAT(logs(3), IsEmpty());
}

} // namespace
} // namespace avrtazu::uitest
