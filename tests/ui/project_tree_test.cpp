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

namespace avrtazu::uitest {
namespace {

using Flow = void (ProjectTreeFlows::*)();

// The plug-in object as the tree sees it: records what the tree asks for.
class RecordingCommands : public TreeCommands {
public:
    HRESULT ExecuteCommand(long command) override {
        log += "command " + std::to_string(command) + "\n";
        return S_OK;
    }
    void makeTarget(const std::string& target) override { log += "make " + target + "\n"; }
    void saveProject() override { log += "save\n"; }
    std::string log;
};

void press(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&widget, &event);
}

std::string names(const std::list<SourceFile>& files) {
    std::string text;
    for (const SourceFile& file : files) {
        text += " " + file.fullName();
    }
    return text;
}

// A tree over the project in C:\demo\, which is also the current folder (files stored relative
// to the project are looked for there), with the works as the host. The project has sources
// (one missing), a header, other files inside and outside the output folder "default\",
// libraries in a library folder and the toolchain's, and a dependency file naming headers.
class ProjectTreeTest : public DriveTest {
protected:
    ProjectTreeTest() : m_previousFolder(std::filesystem::current_path()) {
        std::filesystem::current_path(drive.linux("demo"));
        PlugInUtility::instance().setHost(&works);
        for (const char* file :
             {"demo\\main.c", "demo\\src\\uart.c", "ext\\lib.c", "demo\\own.h",
              "demo\\default\\demo.lis", "demo\\default\\demo.mp", "demo\\notes.txt",
              "demo\\other\\x.lis", "libs\\libm.a", "tc\\lib\\libc.a", "inc\\uart.h",
              "demo\\default\\io.h", "demo\\default\\own.h"}) {
            drive.write(file, "");
        }
        drive.write("demo\\default\\dep\\main.o.d",
                    "main.o: ..\\main.c io.h C:\\inc\\uart.h C:\\inc\\missing.h own.h \n");
        load(project, "tree_project.txt");
        PlugInUtility::instance().setLibraryDirectory("C:\\tc\\lib");
        view.initialize();
        events();
    }
    ~ProjectTreeTest() override { std::filesystem::current_path(m_previousFolder); }

    QTreeWidgetItem* select(QTreeWidgetItem* group, int child) {
        view.setCurrentItem(group->child(child));
        return group->child(child);
    }
    // The tree as indented text (expanded items marked "+", tool tips in brackets), the
    // project's files, then what happened since the last call.
    std::string state() {
        std::string out;
        const std::function<void(const QTreeWidgetItem*, const std::string&)> add =
            [&](const QTreeWidgetItem* item, const std::string& indent) {
                const std::string tip = item->toolTip(0).toStdString();
                out += indent + item->text(0).toStdString() + (item->isExpanded() ? " +" : "") +
                       (tip.empty() ? "" : " [" + tip + "]") + "\n";
                for (int i = 0; i < item->childCount(); ++i) {
                    add(item->child(i), indent + "  ");
                }
            };
        add(view.rootItem(), "");
        out += "sources" + names(project.srcFiles()) + "; headers" + names(project.hdrFiles()) +
               "; others" + names(project.otherFiles()) + (project.isDirty() ? "; dirty\n" : "\n");
        out += events() + commands.log;
        commands.log.clear();
        return out;
    }

private:
    std::filesystem::path m_previousFolder;

protected:
    RecordingCommands commands;
    CProjectTree view{project, commands};
};

QAction* entry(QMenu& menu, const std::string& text) {
    for (QAction* action : menu.actions()) {
        if (action->text().toStdString() == text) {
            return action;
        }
    }
    throw std::runtime_error("no entry " + text);
}

// Existing files only, other files only from the output folder, libraries and headers of the
// dependency files that are not the project's; a refresh follows the project.
TEST_F(ProjectTreeTest, ShowsTheProjectAndFollowsItOnRefresh) {
    project.setName("a*b");
    view.updateControlDataFromProject();
    EXPECT_TRUE(view.acceptDrops());
    seen = state();
    entry(*view.createContextMenu(nullptr), "Show file paths")->trigger();
    // Items made while paths are shown show them at once.
    view.insertFileItem(windows("new\\x.c"), view.sourceGroup(), true);
    seen += "== paths shown\n" + state();
    entry(*view.createContextMenu(nullptr), "Show file paths")->trigger();

    // The project drops records behind the tree's back; a refresh forgets them.
    project.removeSrcFile("main.c");
    project.removeHdrFile("own.h");
    project.setOutputDirectory("");
    project.setUsesExtMakefile(true);
    view.updateControlDataFromProject();
    seen += "== refreshed\n" + state();
    project.setDirty(false);
    view.updateControlDataFromProject();
    seen += "== clean: " + view.rootItem()->text(0).toStdString() + "\n";

    EXPECT_THROW(project.setActiveConfiguration("none"), std::runtime_error);
    view.updateControlDataFromProject();
    view.initialize();
    // The fixed items exist, so a later refresh has somewhere to go.
    EXPECT_NE(view.sourceGroup(), nullptr);
    seen += "== no configuration\n" + events();
}

TEST_F(ProjectTreeTest, FilesAreSortedByExtensionAndFoundByTheirExactName) {
    std::string kinds;
    for (const char* name : {"main.c", "MAIN.C", "start.s", "start.S", "io.h", "IO.H", "a.c.h",
                             "io.hpp", "Makefile", ""}) {
        kinds += std::to_string(CProjectTree::fileKind(name));
    }
    EXPECT_EQ(kinds, "1111222440");

    std::string found;
    for (const char* name : {"main.c", "Main.c", "C:\\demo\\main.c", "c:\\demo\\main.c",
                             "C:\\ext\\lib.c", "..\\ext\\lib.c", "own.h"}) {
        found += std::to_string(view.findFileItem(view.sourceGroup(), name) != nullptr) +
                 std::to_string(view.containsFile(name));
    }
    EXPECT_EQ(found, "11001100110001");
}

TEST_F(ProjectTreeTest, ContextMenuEntriesFollowTheItemAndRunTheirCommands) {
    for (QTreeWidgetItem* item :
         {view.rootItem(), view.headerGroup(), view.sourceGroup(), view.sourceGroup()->child(0),
          view.headerGroup()->child(0), view.otherGroup()->child(0), view.externalGroup()->child(0),
          view.externalGroup(), static_cast<QTreeWidgetItem*>(nullptr)}) {
        seen += "== " + (item != nullptr ? item->text(0).toStdString() : "no item") + "\n";
        const std::unique_ptr<QMenu> menu = view.createContextMenu(item);
        for (QAction* action : menu->actions()) {
            seen += action->isSeparator() ? "-" : action->text().toStdString();
            seen += action->isCheckable() ? (action->isChecked() ? " [x]\n" : " [ ]\n") : "\n";
        }
    }
    for (const char* text :
         {"Build Project", "Rebuild Project", "Clean project", "Edit project options..."}) {
        entry(*view.createContextMenu(view.rootItem()), text)->trigger();
    }
    drive.write("demo\\a.b.c", "");
    view.insertFileItem(windows("a.b.c"), view.sourceGroup(), true);
    for (const int child : {0, 3}) {
        entry(*view.createContextMenu(select(view.sourceGroup(), child)), "Compile file")
            ->trigger();
    }
    seen += "== run\n" + commands.log;
}

// Return opens a file or folds a group; a right click selects the item under the cursor, or
// none beside every item; the menu closes at once.
TEST_F(ProjectTreeTest, KeysAndClicks) {
    select(view.sourceGroup(), 1);
    press(view, Qt::Key_Return);
    view.setCurrentItem(view.sourceGroup());
    press(view, Qt::Key_Return);
    seen = state();
    press(view, Qt::Key_Return);

    view.resize(300, 600);
    view.show();
    QTreeWidgetItem* file = view.sourceGroup()->child(0);
    for (const QPoint& point : {view.visualItemRect(file).center(), QPoint(5, 590)}) {
        view.setCurrentItem(view.rootItem());
        QTimer::singleShot(0, [] {
            if (QWidget* menu = QApplication::activePopupWidget()) {
                menu->close();
            }
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, point,
                                view.viewport()->mapToGlobal(point));
        QApplication::sendEvent(view.viewport(), &click);
        seen += "right click selects " +
                (view.currentItem() ? view.currentItem()->text(0).toStdString() : "none") + "\n";
    }
    // Shift+F10 opens the menu as the Menu key does.
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (QWidget* menu = QApplication::activePopupWidget()) {
            shown = menu->actions().value(0)->text();
            menu->close();
        }
    });
    press(view, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_FALSE(shown.isEmpty());
    seen += state();
}

// Dropped files arrive as Windows paths in the groups of their kinds, up to the first error.
TEST_F(ProjectTreeTest, DroppedFilesGoToTheProject) {
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
    seen = state();
    view.flows().dropFiles(Names(257, windows("c.c")));
    view.flows().dropFiles({windows("b.c"), windows("main.c"), windows("c.c")});
    seen += "== more\n" + state();
}

// Every chosen file goes into the group, up to the first one already there. Insert adds any
// kind and opens a single file; a cancelled source dialog still marks the project changed.
TEST_F(ProjectTreeTest, AddExistingFiles) {
    for (const Flow flow : {&ProjectTreeFlows::addHeaderFiles, &ProjectTreeFlows::addSourceFiles}) {
        project.setDirty(false);
        (view.flows().*flow)();
        seen += "== cancelled\n" + state();
        dialogs.queueOpenFiles({windows("notes.txt"), "C:\\ext\\b.c", windows("sub\\c.h")});
        (view.flows().*flow)();
        dialogs.queueOpenFiles({windows("first.x"), windows("notes.txt"), windows("never.x")});
        (view.flows().*flow)();
        seen += "== added\n" + state();
    }
    dialogs.queueOpenFiles({windows("a.c"), "main.c", windows("b.H"), windows("n.txt")});
    press(view, Qt::Key_Insert);
    dialogs.queueOpenFiles({"C:\\ext\\one.c"});
    view.flows().addProjectFiles();
    seen += "== insert\n" + state();
}

// A created file lands in its group and opens, unless the variant refuses its kind.
TEST_F(ProjectTreeTest, CreateNewFileAddsByVariantAndOpensIt) {
    seen = state();
    const std::pair<Flow, const char*> cases[] = {{&ProjectTreeFlows::createHeaderFile, "x.h"},
                                                  {&ProjectTreeFlows::createHeaderFile, "x.c"},
                                                  {&ProjectTreeFlows::createSourceFile, "y.S"},
                                                  {&ProjectTreeFlows::createSourceFile, "y.h"},
                                                  {&ProjectTreeFlows::createProjectFile, "z.txt"}};
    for (const auto& [flow, name] : cases) {
        project.setDirty(false);
        answerDialogs(name, "fileName");
        (view.flows().*flow)();
        seen += std::string("== ") + name +
                (onDisk(std::string("demo\\") + name) ? " on disk" : "") +
                (project.isDirty() ? " dirty\n" : "\n") + events();
    }
    cancelDialogs();
    view.flows().createSourceFile();
    seen += "== cancelled\n" + state();
}

// Delete takes project files out of project and tree, never off the disk, and refuses others.
TEST_F(ProjectTreeTest, RemoveTakesProjectFilesOutOfProjectAndTree) {
    seen = state();
    for (QTreeWidgetItem* item : {view.externalGroup()->child(0), view.sourceGroup(),
                                  view.rootItem(), static_cast<QTreeWidgetItem*>(nullptr)}) {
        view.setCurrentItem(item);
        press(view, Qt::Key_Delete);
    }
    BuildTreeView& buildView = view;
    for (const char* file : {"main.c", "own.h", "default\\demo.lis", "other.c", ""}) {
        buildView.removeFile(file[0] != '\0' ? windows(file) : "");
        seen += std::string("== ") + file +
                (onDisk(std::string("demo\\") + file) ? " on disk\n" : "\n") + events() +
                commands.log;
        commands.log.clear();
    }
    seen += state();
}

// The file vanished from disk: nothing changes. An open file is closed and opened again.
TEST_F(ProjectTreeTest, RenameRenamesOnDiskAndInTheProjectUnlessCancelledOrFailed) {
    select(view.sourceGroup(), 0);
    cancelDialogs();
    view.flows().renameSelectedFile();
    seen = state();
    std::filesystem::remove(drive.linux("demo/main.c"));
    answerDialogs("start.c", "newName", "rename");
    view.flows().renameSelectedFile();
    seen += "== missing\n" + state();

    works.openInEditor.insert(windows("src\\uart.c"));
    select(view.sourceGroup(), 1);
    answerDialogs("serial.c", "newName", "rename");
    view.flows().renameSelectedFile();
    EXPECT_FALSE(onDisk("demo\\src\\uart.c"));
    EXPECT_TRUE(onDisk("demo\\src\\serial.c"));
    seen += "== renamed\n" + state();
}

// Asks first; a file gone from disk still leaves the project, and the failure is reported.
TEST_F(ProjectTreeTest, DeleteAsksThenRemovesAndDeletesTheFile) {
    select(view.sourceGroup(), 0);
    dialogs.queueAnswer(MessageAnswer::No);
    view.flows().deleteSelectedFile();
    seen = state();
    view.flows().deleteSelectedFile();
    EXPECT_FALSE(onDisk("demo\\main.c"));
    seen += "== yes\n" + state();
    std::filesystem::remove(drive.linux("demo/own.h"));
    select(view.headerGroup(), 0);
    view.flows().deleteSelectedFile();
    seen += "== missing\n" + state();
}

// A file that cannot be read opens nothing; the reason goes to the log as an error only.
TEST_F(ProjectTreeTest, PropertyDialogsRunModallyAndFileErrorsAreLogged) {
    cancelDialogs();
    view.setCurrentItem(view.rootItem());
    view.flows().showProjectProperties();
    select(view.sourceGroup(), 0);
    view.flows().showFileProperties();
    std::filesystem::remove(drive.linux("demo/main.c"));
    view.flows().showFileProperties();
    seen = events();
}

} // namespace
} // namespace avrtazu::uitest
