#include "ui/project_tree_support.h"

#include "ui/project_tree_item.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <gmock/gmock.h>

namespace avrtazu::treetest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ProjectTreeTest = TreeFixture;

// Every file item of a project group points into the project's list of that group, and every
// item under "External dependencies" owns its record.
void expectNoDanglingRecords(CProjectTree& tree, const Project& project) {
    const auto expectInto = [](QTreeWidgetItem* group, const std::list<SourceFile>& list) {
        for (int index = 0; index < group->childCount(); ++index) {
            const auto* item = static_cast<ProjectTreeItem*>(group->child(index));
            EXPECT_FALSE(item->ownsFile());
            const bool inList = std::any_of(list.begin(), list.end(), [&](const SourceFile& file) {
                return &file == item->file();
            });
            EXPECT_TRUE(inList) << item->text(0).toStdString();
        }
    };
    expectInto(tree.sourceGroup(), project.srcFiles());
    expectInto(tree.headerGroup(), project.hdrFiles());
    expectInto(tree.otherGroup(), project.otherFiles());
    for (int index = 0; index < tree.externalGroup()->childCount(); ++index) {
        EXPECT_TRUE(static_cast<ProjectTreeItem*>(tree.externalGroup()->child(index))->ownsFile());
    }
}

TEST_F(ProjectTreeTest, RootHoldsTheFourGroupsInOrderWithTheirPictures) {
    CProjectTree& view = makeTree();
    ASSERT_EQ(view.topLevelItemCount(), 1);
    EXPECT_EQ(view.topLevelItem(0), view.rootItem());
    EXPECT_THAT(texts(view.rootItem()), ElementsAre("Header files", "Source files",
                                                    "External dependencies", "Other files"));
    EXPECT_TRUE(view.rootItem()->isExpanded());
    EXPECT_FALSE(view.rootItem()->icon(0).isNull());
    EXPECT_FALSE(view.externalGroup()->icon(0).isNull());
    EXPECT_EQ(view.host(), &works);
    EXPECT_TRUE(view.acceptDrops());
    EXPECT_THAT(logs(2), IsEmpty());
}

TEST_F(ProjectTreeTest, RootTextNamesProjectAndConfigurationAndMarksDirt) {
    struct Case {
        std::string name;
        bool dirty;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"demo", false, "demo (default)"},
        {"demo", true, "demo (default)*"},
        // A clean project loses every "*" of its root text.
        {"a*b", false, "ab (default)"},
        {"a*b", true, "a*b (default)*"},
    };
    CProjectTree& view = makeTree();
    for (const Case& c : cases) {
        project.setName(c.name);
        project.setDirty(c.dirty);
        view.updateControlDataFromProject();
        EXPECT_EQ(view.rootItem()->text(0).toStdString(), c.expected) << c.name << c.dirty;
    }
}

TEST_F(ProjectTreeTest, FileKindFollowsTheExtensionCaseSensitively) {
    struct Case {
        std::string name;
        int kind;
    };
    const std::vector<Case> cases = {
        {"main.c", CProjectTree::kSourceFile},     {"MAIN.C", CProjectTree::kSourceFile},
        {"start.s", CProjectTree::kSourceFile},    {"start.S", CProjectTree::kSourceFile},
        {"io.h", CProjectTree::kHeaderFile},       {"IO.H", CProjectTree::kHeaderFile},
        {"a.c.h", CProjectTree::kHeaderFile},      {"main.cpp", CProjectTree::kOtherFile},
        {"io.hpp", CProjectTree::kOtherFile},      {"Makefile", CProjectTree::kOtherFile},
        {"dir.c\\file", CProjectTree::kOtherFile}, {"", CProjectTree::kNoFile},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CProjectTree::fileKind(c.name), c.kind) << c.name;
    }
}

TEST_F(ProjectTreeTest, RefreshShowsExistingProjectFilesAndKeepsMissingOnesInTheProject) {
    writeFile("demo\\main.c");
    writeFile("demo\\src\\uart.c");
    writeFile("ext\\lib.c");
    writeFile("demo\\io.h");
    project.addSrcFile(SourceFile("main.c"));
    project.addSrcFile(SourceFile("gone.c"));
    project.addSrcFile(SourceFile("src\\uart.c"));
    project.addSrcFile(SourceFile("C:\\ext\\lib.c"));
    project.addHdrFile(SourceFile("io.h"));
    CProjectTree& view = makeTree();

    EXPECT_THAT(texts(view.sourceGroup()), ElementsAre("main.c", "uart.c", "lib.c"));
    EXPECT_THAT(texts(view.headerGroup()), ElementsAre("io.h"));
    EXPECT_EQ(project.srcFiles().size(), 4u);
    EXPECT_TRUE(view.sourceGroup()->isExpanded());
    expectNoDanglingRecords(view, project);

    // The project drops records behind the tree's back; a refresh forgets them.
    project.removeSrcFile("main.c");
    project.removeHdrFile("io.h");
    view.updateControlDataFromProject();
    EXPECT_THAT(texts(view.sourceGroup()), ElementsAre("uart.c", "lib.c"));
    EXPECT_THAT(texts(view.headerGroup()), IsEmpty());
    expectNoDanglingRecords(view, project);
}

TEST_F(ProjectTreeTest, OtherFilesAreShownOnlyFromTheOutputFolder) {
    struct Case {
        std::string outputDir;
        std::vector<std::string> shown;
    };
    const std::vector<Case> cases = {
        {"default\\", {"demo.lis", "demo.mp"}},
        {"", {"notes.txt"}},
    };
    for (const std::string file : {"demo\\default\\demo.lis", "demo\\default\\demo.mp",
                                   "demo\\notes.txt", "demo\\other\\x.lis"}) {
        writeFile(file);
    }
    for (const std::string file : {"default\\demo.lis", "default\\demo.mp", "notes.txt",
                                   "other\\x.lis", "default\\missing.mp"}) {
        project.addOtherFile(SourceFile(file));
    }
    CProjectTree& view = makeTree();
    for (const Case& c : cases) {
        project.setOutputDirectory(c.outputDir);
        view.updateControlDataFromProject();
        EXPECT_EQ(texts(view.otherGroup()), c.shown) << c.outputDir;
        expectNoDanglingRecords(view, project);
    }
}

TEST_F(ProjectTreeTest, ExternalDependenciesComeFromLibrariesAndDependencyFiles) {
    project.setOutputDirectory("default\\");
    writeFile("demo\\main.c");
    project.addSrcFile(SourceFile("main.c"));
    project.addHdrFile(SourceFile("own.h"));
    writeFile("libs\\libm.a");
    writeFile("tc\\lib\\libc.a");
    writeFile("inc\\uart.h");
    writeFile("demo\\default\\io.h");
    writeFile("demo\\default\\dep\\main.o.d",
              "main.o: ..\\main.c io.h C:\\inc\\uart.h C:\\inc\\missing.h own.h \n");
    project.addLibraryDirectory("C:\\libs");
    project.addLibrary("libm.a");
    project.addLibrary("libc.a");
    PlugInUtility::instance().setLibraryDirectory("C:\\tc\\lib");

    CProjectTree& view = makeTree();
    EXPECT_THAT(texts(view.externalGroup()), ElementsAre("libm.a", "libc.a", "io.h", "uart.h"));
    view.toggleShowPaths();
    EXPECT_THAT(texts(view.externalGroup()), ElementsAre("C:\\libs\\libm.a", "C:\\tc\\lib\\libc.a",
                                                         "default\\io.h", "C:\\inc\\uart.h"));
    expectNoDanglingRecords(view, project);

    project.setUsesExtMakefile(true);
    view.updateControlDataFromProject();
    EXPECT_THAT(texts(view.externalGroup()), IsEmpty());
}

TEST_F(ProjectTreeTest, ShowFilePathsSwitchesEveryItemBetweenNameAndStoredName) {
    writeFile("demo\\src\\uart.c");
    writeFile("ext\\io.h");
    project.addSrcFile(SourceFile("src\\uart.c"));
    project.addHdrFile(SourceFile("C:\\ext\\io.h"));
    CProjectTree& view = makeTree();
    const std::vector<std::pair<bool, std::vector<std::string>>> steps = {
        {true, {"src\\uart.c", "C:\\ext\\io.h"}},
        {false, {"uart.c", "io.h"}},
    };
    for (const auto& [on, expected] : steps) {
        view.toggleShowPaths();
        EXPECT_EQ(view.showPaths(), on);
        EXPECT_EQ(texts(view.sourceGroup()).front(), expected[0]);
        EXPECT_EQ(texts(view.headerGroup()).front(), expected[1]);
    }
    // Items made while paths are shown show them at once.
    view.toggleShowPaths();
    view.insertFileItem(windows("new\\x.c"), view.sourceGroup(), true);
    EXPECT_EQ(texts(view.sourceGroup()).back(), "new\\x.c");
}

TEST_F(ProjectTreeTest, FindFileItemMatchesRelativeAndAbsoluteNamesExactly) {
    writeFile("demo\\main.c");
    writeFile("ext\\lib.c");
    project.addSrcFile(SourceFile("main.c"));
    project.addSrcFile(SourceFile("C:\\ext\\lib.c"));
    CProjectTree& view = makeTree();
    struct Case {
        std::string name;
        bool found;
    };
    const std::vector<Case> cases = {
        {"main.c", true},           {"C:\\demo\\main.c", true}, {"C:\\ext\\lib.c", true},
        {"..\\ext\\lib.c", false},  {"Main.c", false},          {"c:\\demo\\main.c", false},
        {"C:\\demo\\lib.c", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(view.findFileItem(view.sourceGroup(), c.name) != nullptr, c.found) << c.name;
        EXPECT_EQ(view.containsFile(c.name), c.found) << c.name;
    }
    EXPECT_EQ(view.findFileItem(view.headerGroup(), "main.c"), nullptr);
}

TEST_F(ProjectTreeTest, InsertFileItemRefusesEmptyNamesAndForeignParents) {
    CProjectTree& view = makeTree();
    struct Case {
        std::string name;
        QTreeWidgetItem* group;
        bool addToProject;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"", view.sourceGroup(), true, "File name is empty"},
        {"x.c", view.externalGroup(), true, "Invalid parent item"},
        {"x.c", view.rootItem(), false, "Invalid parent item"},
        {"x.c", nullptr, true, "Invalid parent item"},
    };
    for (const Case& c : cases) {
        try {
            view.insertFileItem(c.name, c.group, c.addToProject);
            ADD_FAILURE() << "accepted " << c.name;
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(std::string(error.what()), c.error) << c.name;
        }
    }
    EXPECT_TRUE(project.srcFiles().empty() && project.otherFiles().empty());
    EXPECT_EQ(view.rootItem()->childCount(), 4);
    EXPECT_EQ(commands.saves, 0);

    // Outside the project folder a file keeps its absolute path; inside it becomes relative.
    view.insertFileItem("C:\\ext\\x.c", view.sourceGroup(), true);
    view.insertFileItem(windows("sub\\y.c"), view.sourceGroup(), true);
    EXPECT_EQ(project.srcFiles().front().fullName(), "C:\\ext\\x.c");
    EXPECT_EQ(project.srcFiles().back().fullName(), "sub\\y.c");
    EXPECT_EQ(commands.saves, 2);
    EXPECT_TRUE(project.isDirty());
}

TEST_F(ProjectTreeTest, ContextMenuEntriesFollowTheSelectedItem) {
    writeFile("demo\\main.c");
    writeFile("demo\\io.h");
    writeFile("demo\\notes.txt");
    writeFile("libs\\libm.a");
    project.addSrcFile(SourceFile("main.c"));
    project.addHdrFile(SourceFile("io.h"));
    project.addOtherFile(SourceFile("notes.txt"));
    project.setOutputDirectory("");
    project.addLibraryDirectory("C:\\libs");
    project.addLibrary("libm.a");
    CProjectTree& view = makeTree();

    const std::vector<std::string> fileEntries = {"Remove file from project", "Rename file...",
                                                  "Delete file...", "File properties...", "-"};
    const auto plus = [](std::vector<std::string> entries) {
        entries.push_back("Show file paths");
        entries.push_back("Edit project options...");
        return entries;
    };
    std::vector<std::string> sourceEntries = {"Compile file"};
    sourceEntries.insert(sourceEntries.end(), fileEntries.begin(), fileEntries.end());
    const std::vector<std::pair<QTreeWidgetItem*, std::vector<std::string>>> cases = {
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
        {view.otherGroup(), {}},
        {nullptr, {}},
    };
    for (const auto& [item, entries] : cases) {
        const std::unique_ptr<QMenu> menu = view.createContextMenu(item);
        std::vector<std::string> shown;
        for (QAction* action : menu->actions()) {
            shown.push_back(action->isSeparator() ? "-" : action->text().toStdString());
        }
        EXPECT_EQ(shown, plus(entries)) << (item ? item->text(0).toStdString() : "no item");
    }
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

TEST_F(ProjectTreeTest, MenuEntriesRunThePlugInCommands) {
    CProjectTree& view = makeTree();
    const std::vector<std::pair<std::string, long>> cases = {{"Build Project", 0},
                                                             {"Rebuild Project", 2},
                                                             {"Clean project", 4},
                                                             {"Edit project options...", 5}};
    for (const auto& [text, command] : cases) {
        commands.commands.clear();
        const std::unique_ptr<QMenu> menu = view.createContextMenu(view.rootItem());
        entry(*menu, text)->trigger();
        EXPECT_THAT(commands.commands, ElementsAre(command)) << text;
    }
}

TEST_F(ProjectTreeTest, ShowFilePathsEntryIsCheckedWhilePathsAreShown) {
    CProjectTree& view = makeTree();
    for (const bool expected : {false, true, false}) {
        const std::unique_ptr<QMenu> menu = view.createContextMenu(nullptr);
        QAction* action = entry(*menu, "Show file paths");
        EXPECT_TRUE(action->isCheckable());
        EXPECT_EQ(action->isChecked(), expected);
        action->trigger();
    }
}

TEST_F(ProjectTreeTest, ReturnOpensFilesAndTogglesGroups) {
    writeFile("demo\\src\\uart.c");
    project.addSrcFile(SourceFile("src\\uart.c"));
    CProjectTree& view = makeTree();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);

    view.setCurrentItem(view.sourceGroup()->child(0));
    QApplication::sendEvent(&view, &press);
    ASSERT_EQ(works.openedFiles.size(), 1u);
    EXPECT_EQ(works.openedFiles[0], std::make_pair(windows("src\\uart.c"), 0L));

    view.setCurrentItem(view.sourceGroup());
    ASSERT_TRUE(view.sourceGroup()->isExpanded());
    QApplication::sendEvent(&view, &press);
    EXPECT_FALSE(view.sourceGroup()->isExpanded());
    QApplication::sendEvent(&view, &press);
    EXPECT_TRUE(view.sourceGroup()->isExpanded());
    EXPECT_EQ(works.openedFiles.size(), 1u);
}

TEST_F(ProjectTreeTest, DroppedLocalFilesArriveAsWindowsPathsInTheirGroups) {
    CProjectTree& view = makeTree();
    writeFile("demo\\a.c");
    writeFile("demo\\b.H");
    writeFile("outside\\notes.txt");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(linux("demo/a.c"))),
                  QUrl::fromLocalFile(QString::fromStdString(linux("demo/b.H"))),
                  QUrl::fromLocalFile(QString::fromStdString(linux("outside/notes.txt")))});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QApplication::sendEvent(view.viewport(), &drop);

    EXPECT_THAT(texts(view.sourceGroup()), ElementsAre("a.c"));
    EXPECT_THAT(texts(view.headerGroup()), ElementsAre("b.H"));
    EXPECT_THAT(texts(view.otherGroup()), ElementsAre("notes.txt"));
    EXPECT_EQ(project.otherFiles().front().fullName(), "C:\\outside\\notes.txt");
    EXPECT_EQ(project.srcFiles().front().fullName(), "a.c");
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
    const std::vector<std::string> debug = logs(3);
    EXPECT_NE(
        std::find(debug.begin(), debug.end(),
                  "CProjectTree::OnSize()|CProjectTree::Onsize: , cx=150, cy = 400, nType = 9"),
        debug.end());
    EXPECT_EQ(debug.back(), "CProjectTree::OnSize()|");
    view.setParent(nullptr);
}

TEST_F(ProjectTreeTest, RefreshWithoutActiveConfigurationIsReported) {
    CProjectTree& view = makeTree();
    EXPECT_THROW(project.setActiveConfiguration("none"), std::runtime_error);
    hub->logs.clear();
    view.updateControlDataFromProject();
    EXPECT_THAT(logs(3), ElementsAre("CProjectTree::updateControlDataFromProject()|"
                                     "Project::currentConfigName(): Invalid Configuration"));
    EXPECT_THAT(logs(2), ElementsAre("Could not insert Project data into Project tree"));
}

TEST_F(ProjectTreeTest, InitializeWithoutActiveConfigurationIsReported) {
    project = Project("demo", "C:\\demo\\");
    CProjectTree& view = makeTree();
    EXPECT_THAT(logs(2), ElementsAre("Could not initialize Tree control."));
    // The fixed items exist, so a later refresh has somewhere to go.
    EXPECT_NE(view.sourceGroup(), nullptr);
}

} // namespace
} // namespace avrtazu::treetest
