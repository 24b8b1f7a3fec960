#include "studio_test_support.h"

#include "plugin/zuzozuduvuruva.h"

#include "studio/editor_area.h"
#include "studio/file_editor.h"
#include "studio/help_viewer.h"
#include "studio/log_pane.h"
#include "studio/output_pane.h"
#include "studio/project_session.h"
#include "studio/simulator_pane.h"
#include "studio/studio_window.h"

#include "platform/drive_map.h"
#include "services/gui_works.h"
#include "ui/project_tree_flows.h"

#include <QAction>
#include <QDockWidget>
#include <QDropEvent>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace avrtazu {
namespace {

// The studio over the real plug-in, on a copy of the example project, built with the real
// toolchain of the build tree.
class StudioFlowTest : public ::testing::Test {
protected:
    StudioFlowTest() : project(test::copyBlinkExample(folder.path())) { newWindow(); }

    void newWindow() {
        window.reset();
        PlugInUtility::resetForTesting();
        window = std::make_unique<StudioWindow>(test::StudioEnvironment::binFolder());
        window->show();
    }

    void openBlink() { ASSERT_TRUE(window->openProject(project)); }

    CProjectTree& tree() const { return *window->session().tazu()->tree(); }

    static QStringList names(const QTreeWidgetItem* group) {
        QStringList texts;
        for (int i = 0; i < group->childCount(); ++i) {
            texts << group->child(i)->text(0);
        }
        return texts;
    }

    void expectNoErrorLogged() const {
        EXPECT_EQ(window->log().entryCount(LogPane::kError), 0)
            << window->log().visibleRows().join('\n').toStdString();
    }

    test::TempFolder folder;
    test::StudioEnvironment environment;
    std::string project;
    std::unique_ptr<StudioWindow> window;
};

TEST_F(StudioFlowTest, BuildOptionsHelpAndADoubleClickOnAnErrorLine) {
    openBlink();
    EXPECT_EQ(window->partText(), QStringLiteral("Device: ATMega16"));
    window->commandAction(0)->trigger();
    EXPECT_TRUE(window->summaryText().startsWith(QStringLiteral("Build succeeded")))
        << window->summaryText().toStdString();
    EXPECT_EQ(window->objectFileText(), QStringLiteral("Object file blink.cof"));

    // OK on the options sheet commits; the options change tells the host through event 58.
    window->commandAction(5)->trigger();
    EXPECT_EQ(environment.modalClasses,
              std::vector<std::string>({"avrtazu::CProjectPropertiesSheet"}));
    EXPECT_EQ(window->objectFileText(), QStringLiteral("Object file blink.cof (out of date)"));
    EXPECT_EQ(window->partText(), QStringLiteral("Device: ATMega16"));

    window->commandAction(7)->trigger();
    EXPECT_TRUE(window->helpDock()->isVisible());
    EXPECT_TRUE(window->help().toPlainText().contains(QStringLiteral("AVR TAZU plug-in")));
    expectNoErrorLogged();

    folder.write("blink/main.c",
                 "int main(void) {\n    return 0;\n}\n\nint broken(void) { return missing; }\n");
    window->runCommand(0);
    OutputPane& output = window->output();
    EXPECT_TRUE(output.lastSummary().startsWith(QStringLiteral("Build failed")));
    int row = 0;
    while (row < output.count() &&
           !(output.kindOf(row) == kOutputError &&
             output.item(row)->text().contains(QStringLiteral("main.c(")))) {
        ++row;
    }
    ASSERT_LT(row, output.count());
    EXPECT_EQ(window->editors().count(), 0);
    output.scrollToItem(output.item(row));
    const QPoint place = output.visualItemRect(output.item(row)).center();
    QTest::mouseClick(output.viewport(), Qt::LeftButton, {}, place);
    QTest::mouseDClick(output.viewport(), Qt::LeftButton, {}, place);
    FileEditor* editor = window->editors().currentEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->path(), EditorArea::canonicalPath(folder.file("blink/main.c")));
    EXPECT_EQ(editor->markedLine(), 5);
    // The error's and the warning's marks and hover texts stand there until a good build.
    const std::vector<FileEditor::Diagnostic> marks = editor->diagnostics();
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_TRUE(marks[0].error && !marks[1].error && marks[0].line == 5 && marks[1].line == 5);
    EXPECT_EQ(editor->diagnosticText(5).toStdString(),
              "Error: 'missing' undeclared (first use in this function)\nWarning: control "
              "reaches end of non-void function [-Wreturn-type]");
    folder.write("blink/main.c", "int main(void) {\n    return 0;\n}\n");
    window->runCommand(0);
    EXPECT_TRUE(editor->diagnostics().empty());

    // A tree action that fails says so in the status bar, with the reason.
    environment.dialogs.queueOpenFiles({DriveMap::toWindows(folder.file("blink/main.c"))});
    tree().flows().addSourceFiles();
    EXPECT_EQ(
        window->statusBar()->currentMessage().toStdString(),
        "Error: Error adding source file: " + DriveMap::toWindows(folder.file("blink/main.c")) +
            " is already a part of this project.");
}

// Run in Simulator builds first and shows the firmware's serial output until stopped; the
// compile commands that build wrote can be exported; a device with no chip is refused.
TEST_F(StudioFlowTest, RunInSimulatorExportAndRefusal) {
    openBlink();
    window->fileAction("action-run-simulator")->trigger();
    EXPECT_TRUE(window->summaryText().startsWith(QStringLiteral("Build succeeded")));
    const SimulatorPane& pane = window->simulator();
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane.toPlainText().contains("blink ready"); }, 20000))
        << pane.toPlainText().toStdString();
    window->fileAction("action-stop-simulator")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pane.isRunning(); }, 5000));
    EXPECT_TRUE(pane.toPlainText().contains(QStringLiteral("[Stopped.]")));

    environment.dialogs.queueSaveFile(DriveMap::toWindows(folder.file("exported.json")));
    window->fileAction("action-export-compile-commands")->trigger();
    EXPECT_NE(test::readFile(folder.file("exported.json")).find("main.c"), std::string::npos);

    window->session().tazu()->project().setDeviceConfiguration("Custom");
    window->runInSimulator();
    ASSERT_FALSE(environment.dialogs.messages().empty());
    EXPECT_EQ(environment.dialogs.messages().back().text,
              "the device Custom names no chip to simulate; choose one with 'avrtazu set "
              "PROJECT.aps part=DEVICE'");
    EXPECT_FALSE(pane.isRunning());
}

// A file dropped on the window goes to the project, which then asks before it closes and does
// what the answer says: Yes saves, No leaves the file as it was, Cancel keeps it open.
TEST_F(StudioFlowTest, DroppedFilesAreSavedOnlyWhenTheUserSaysSo) {
    const std::string original = test::readFile(project);
    const std::string extra = folder.write("blink/extra.c", "int extra;\n");
    for (const MessageAnswer answer :
         {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Cancel}) {
        folder.write("blink/blink.aps", original);
        newWindow();
        openBlink();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(extra))});
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window.get(), &drop);
        QCoreApplication::processEvents();
        EXPECT_EQ(names(tree().sourceGroup()), QStringList({"main.c", "uart.c", "extra.c"}));
        environment.dialogs.clear();
        environment.dialogs.queueAnswer(answer);
        EXPECT_EQ(window->close(), answer != MessageAnswer::Cancel);
        ASSERT_EQ(environment.dialogs.messages().size(), 1u);
        EXPECT_EQ(environment.dialogs.messages().front().text,
                  "Save the changes to the project blink before closing it?");
        EXPECT_EQ(window->session().isOpen(), answer == MessageAnswer::Cancel);
        const std::string saved = test::readFile(project);
        EXPECT_EQ(saved.find("<SOURCEFILE>extra.c") != std::string::npos,
                  answer == MessageAnswer::Yes);
        EXPECT_TRUE(answer == MessageAnswer::Yes || saved == original);
        // The host's own sections stay as they were: no machine's folder goes into the file.
        EXPECT_NE(saved.find("<SaveFolder></SaveFolder>"), std::string::npos) << saved;
    }
    // Unchanged: no question at all.
    window->discardProject();
    openBlink();
    environment.dialogs.clear();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(environment.dialogs.messages().empty());
    expectNoErrorLogged();
}

TEST_F(StudioFlowTest, ANewProjectIsSetUpByThePlugInAndSaved) {
    std::filesystem::create_directories(folder.file("fresh"));
    environment.dialogs.queueSaveFile(DriveMap::toWindows(folder.file("fresh/fresh.aps")));
    window->newProject();
    ASSERT_TRUE(window->session().isOpen());
    // The plug-in's options sheet came up for the new project and was accepted.
    EXPECT_EQ(environment.modalClasses,
              std::vector<std::string>({"avrtazu::CProjectPropertiesSheet"}));
    ASSERT_NE(window->editors().currentEditor(), nullptr);
    EXPECT_EQ(window->editors().currentEditor()->path(), folder.file("fresh/fresh.c"));
    const std::string saved = test::readFile(folder.file("fresh/fresh.aps"));
    EXPECT_NE(saved.find("<SOURCEFILE>fresh.c</SOURCEFILE>"), std::string::npos) << saved;
    EXPECT_FALSE(window->session().isChanged());
}

} // namespace
} // namespace avrtazu
