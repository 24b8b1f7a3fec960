#include "studio_test_support.h"

#include "services/plug_in_utility.h"

#include "plugin/zuzozuduvuruva.h"

#include "studio/editor_area.h"
#include "studio/file_editor.h"
#include "studio/help_viewer.h"
#include "studio/log_pane.h"
#include "studio/output_pane.h"
#include "studio/project_session.h"
#include "studio/studio_window.h"

#include "platform/drive_map.h"
#include "services/gui_works.h"

#include <QAction>
#include <QDockWidget>
#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <pugixml.hpp>
#include <utility>
#include <vector>

namespace avrtazu {
namespace {

using FileEntries = std::vector<std::pair<std::string, std::string>>;

// The studio over the real plug-in, on a copy of the example project, built with the real
// toolchain of the build tree.
class StudioFlowTest : public ::testing::Test {
protected:
    StudioFlowTest() : project(test::copyBlinkExample(folder.path())) {
        window = std::make_unique<StudioWindow>(test::StudioEnvironment::binFolder());
        window->show();
    }

    void openBlink() { ASSERT_TRUE(window->openProject(project)); }
    std::string blinkFile(const std::string& name) const { return folder.file("blink/" + name); }

    CProjectTree& tree() const {
        Zuzozuduvuruva* plugin = window->session().tazu();
        EXPECT_NE(plugin, nullptr);
        EXPECT_NE(plugin->tree(), nullptr);
        return *plugin->tree();
    }

    static QStringList childTexts(const QTreeWidgetItem* group) {
        QStringList texts;
        for (int i = 0; i < group->childCount(); ++i) {
            texts << group->child(i)->text(0);
        }
        return texts;
    }

    // The FILES of the plug-in's section in the project file on disk: kind and name.
    FileEntries savedFiles() const {
        pugi::xml_document document;
        EXPECT_TRUE(document.load_file(project.c_str()));
        FileEntries files;
        for (const pugi::xml_node file :
             document.document_element().child("AVRTAZUPLUGIN").child("FILES").children()) {
            files.emplace_back(file.name(), file.text().get());
        }
        return files;
    }

    int errorsLogged() const { return window->log().entryCount(LogPane::kError); }

    test::TempFolder folder;
    test::StudioEnvironment environment;
    std::string project;
    std::unique_ptr<StudioWindow> window;
};

TEST_F(StudioFlowTest, ABuildShowsItsSummaryAndTheTreeTheListingAndMap) {
    openBlink();
    EXPECT_EQ(window->partText(), QStringLiteral("Device: ATMega16"));
    window->commandAction(0)->trigger();

    EXPECT_TRUE(window->output().lastSummary().startsWith(QStringLiteral("Build succeeded")))
        << window->output().lastSummary().toStdString();
    EXPECT_EQ(window->summaryText(), window->output().lastSummary());
    EXPECT_EQ(window->objectFileText(), QStringLiteral("Object file blink.cof"));
    EXPECT_EQ(childTexts(tree().otherGroup()),
              QStringList({QStringLiteral("blink.lis"), QStringLiteral("blink.mp")}));
    EXPECT_EQ(childTexts(tree().sourceGroup()),
              QStringList({QStringLiteral("main.c"), QStringLiteral("uart.c")}));
    EXPECT_TRUE(std::filesystem::exists(blinkFile("default/blink.hex")));
    EXPECT_EQ(errorsLogged(), 0) << window->log().visibleRows().join('\n').toStdString();
}

TEST_F(StudioFlowTest, ADoubleClickOnAnErrorOpensItsSourceLine) {
    folder.write("blink/main.c",
                 "int main(void) {\n    return 0;\n}\n\nint broken(void) { return missing; }\n");
    openBlink();
    window->runCommand(0);
    OutputPane& output = window->output();
    EXPECT_TRUE(output.lastSummary().startsWith(QStringLiteral("Build failed")))
        << output.lastSummary().toStdString();
    int errorRow = -1;
    for (int row = 0; row < output.count() && errorRow < 0; ++row) {
        if (output.kindOf(row) == kOutputError &&
            output.item(row)->text().contains(QStringLiteral("main.c("))) {
            errorRow = row;
        }
    }
    ASSERT_GE(errorRow, 0);
    EXPECT_EQ(window->editors().count(), 0);

    output.scrollToItem(output.item(errorRow));
    const QPoint row = output.visualItemRect(output.item(errorRow)).center();
    QTest::mouseClick(output.viewport(), Qt::LeftButton, {}, row);
    QTest::mouseDClick(output.viewport(), Qt::LeftButton, {}, row);

    FileEditor* editor = window->editors().currentEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->path(), EditorArea::canonicalPath(blinkFile("main.c")));
    EXPECT_EQ(editor->currentLine(), 5);
    EXPECT_EQ(editor->markedLine(), 5);
}

TEST_F(StudioFlowTest, OkOnTheOptionsSheetCommitsAndOutdatesTheObjectFile) {
    openBlink();
    window->runCommand(0);
    ASSERT_EQ(window->objectFileText(), QStringLiteral("Object file blink.cof"));
    window->commandAction(5)->trigger();
    ASSERT_EQ(environment.modalClasses.size(), 1u);
    EXPECT_EQ(environment.modalClasses.front(), "avrtazu::CProjectPropertiesSheet");
    // The options change tells the host through event 58.
    EXPECT_EQ(window->objectFileText(), QStringLiteral("Object file blink.cof (out of date)"));
    EXPECT_EQ(window->partText(), QStringLiteral("Device: ATMega16"));
    EXPECT_EQ(errorsLogged(), 0) << window->log().visibleRows().join('\n').toStdString();
}

TEST_F(StudioFlowTest, AFileAddedThroughTheTreeIsSavedIntoTheProjectFile) {
    openBlink();
    const FileEntries before = savedFiles();
    const std::string extra = folder.write("blink/extra.c", "int extra;\n");
    environment.dialogs.queueOpenFiles({DriveMap::toWindows(extra)});
    tree().setCurrentItem(tree().sourceGroup());
    const std::unique_ptr<QMenu> menu = tree().createContextMenu(tree().sourceGroup());
    QAction* add = nullptr;
    for (QAction* action : menu->actions()) {
        if (action->text() == QStringLiteral("Add existing source file(s)...")) {
            add = action;
        }
    }
    ASSERT_NE(add, nullptr);
    add->trigger();
    EXPECT_TRUE(childTexts(tree().sourceGroup()).contains(QStringLiteral("extra.c")));
    EXPECT_TRUE(window->session().isChanged());
    EXPECT_EQ(savedFiles(), before);

    window->fileAction("action-save")->trigger();
    EXPECT_EQ(savedFiles(), FileEntries({{"SOURCEFILE", "main.c"},
                                         {"SOURCEFILE", "uart.c"},
                                         {"SOURCEFILE", "extra.c"},
                                         {"HEADERFILE", "uart.h"}}));
    const std::string saved = test::readFile(project);
    // The host's own sections stay as they were: no machine's folder goes into the file.
    EXPECT_NE(saved.find("<SaveFolder></SaveFolder>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<ProjectName>blink</ProjectName>"), std::string::npos) << saved;
    EXPECT_FALSE(window->session().isChanged());
    EXPECT_FALSE(window->isWindowModified());
}

TEST_F(StudioFlowTest, FilesDroppedOnTheWindowReachTheTree) {
    openBlink();
    const std::string header = folder.write("blink/extra.h", "#define EXTRA 1\n");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(header))});
    QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(window.get(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(window.get(), &drop);
    QCoreApplication::processEvents();
    EXPECT_EQ(childTexts(tree().headerGroup()),
              QStringList({QStringLiteral("uart.h"), QStringLiteral("extra.h")}));
    EXPECT_TRUE(window->session().isChanged());
}

TEST_F(StudioFlowTest, QuittingWithUnsavedChangesAsksAndDoesWhatTheAnswerSays) {
    struct Case {
        const char* name;
        MessageAnswer answer;
        bool closed;
        bool saved;
    };
    const Case cases[] = {
        {"Yes", MessageAnswer::Yes, true, true},
        {"No", MessageAnswer::No, true, false},
        {"Cancel", MessageAnswer::Cancel, false, false},
    };
    const std::string original = test::readFile(project);
    const std::string extra = folder.write("blink/extra.c", "int extra;\n");
    for (const Case& c : cases) {
        folder.write("blink/blink.aps", original);
        window.reset();
        PlugInUtility::resetForTesting();
        window = std::make_unique<StudioWindow>(test::StudioEnvironment::binFolder());
        openBlink();
        window->dropFiles({extra});
        environment.dialogs.clear();
        environment.dialogs.queueAnswer(c.answer);

        EXPECT_EQ(window->close(), c.closed) << c.name;
        ASSERT_EQ(environment.dialogs.messages().size(), 1u) << c.name;
        EXPECT_EQ(environment.dialogs.messages().front().text,
                  "Save the changes to the project blink before closing it?");
        EXPECT_EQ(window->session().isOpen(), !c.closed) << c.name;
        const std::string after = test::readFile(project);
        EXPECT_EQ(after.find("<SOURCEFILE>extra.c</SOURCEFILE>") != std::string::npos, c.saved)
            << c.name;
        if (!c.saved) {
            EXPECT_EQ(after, original) << c.name;
        }
    }
    // Unchanged: no question at all.
    window->discardProject();
    openBlink();
    environment.dialogs.clear();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(environment.dialogs.messages().empty());
}

TEST_F(StudioFlowTest, ANewProjectIsSetUpByThePlugInAndSaved) {
    std::filesystem::create_directories(folder.file("fresh"));
    environment.dialogs.queueSaveFile(DriveMap::toWindows(folder.file("fresh/fresh.aps")));
    window->newProject();
    ASSERT_TRUE(window->session().isOpen());
    // The plug-in's options sheet came up for the new project and was accepted.
    EXPECT_NE(std::find(environment.modalClasses.begin(), environment.modalClasses.end(),
                        "avrtazu::CProjectPropertiesSheet"),
              environment.modalClasses.end());
    EXPECT_TRUE(std::filesystem::exists(folder.file("fresh/fresh.c")));
    ASSERT_NE(window->editors().currentEditor(), nullptr);
    EXPECT_EQ(window->editors().currentEditor()->fileName(), QStringLiteral("fresh.c"));
    const std::string saved = test::readFile(folder.file("fresh/fresh.aps"));
    EXPECT_NE(saved.find("<SOURCEFILE>fresh.c</SOURCEFILE>"), std::string::npos) << saved;
    EXPECT_FALSE(window->session().isChanged());
}

TEST_F(StudioFlowTest, ThePlugInsHelpShowsInTheHelpPane) {
    openBlink();
    ASSERT_FALSE(window->helpDock()->isVisible());
    window->commandAction(7)->trigger();
    EXPECT_TRUE(window->helpDock()->isVisible());
    EXPECT_TRUE(window->help().toPlainText().contains(QStringLiteral("AVR TAZU plug-in")));
}

} // namespace
} // namespace avrtazu
