#include "ui/ui_test_support.h"

#include "model/source_file.h"
#include "platform/file_system.h"
#include "ui/file_info_text.h"
#include "ui/file_name_rule.h"
#include "ui/folder_browser.h"
#include "ui/folder_browser_dialog.h"
#include "ui/new_project_file_dialog.h"
#include "ui/project_properties_dialog.h"
#include "ui/properties_dialog.h"
#include "ui/qt_dialog_service.h"
#include "ui/rename_file_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <optional>
#include <time.h>

namespace avrtazu::uitest {
namespace {

using namespace std::string_literals;

// The characters a file name may hold; a time that cannot be converted gives an empty date.
TEST_F(UiTest, FileNameRuleAndFileInfoTexts) {
    for (int code = 0; code < 256; ++code) {
        if (FileNameRule::isAllowedCharacter(static_cast<char>(code))) {
            seen += static_cast<char>(code);
        }
    }
    for (const std::uint64_t size : {1023ull, 1024ull, 1536ull, 1030ull, 5000000000ull}) {
        seen += "\n" + FileInfoText::sizeText(size);
    }
    const std::pair<const char*, std::time_t> dates[] = {
        {"UTC", 0},
        {"UTC", 1707141789},
        {"CET-1", 0},
        {"UTC", std::numeric_limits<std::time_t>::max()}};
    for (const auto& [zone, time] : dates) {
        ::setenv("TZ", zone, 1);
        seen += "\n" + FileInfoText::dateText(time);
    }
}

// The drive holds the project "demo"; files get one fixed modification time.
class FileDialogsTest : public DriveTest {
protected:
    void writeDated(const std::string& relative, std::size_t size) {
        const std::string path = drive.write(relative, std::string(size, 'x'));
        std::filesystem::last_write_time(
            path, std::chrono::file_clock::from_sys(
                      std::chrono::sys_seconds{std::chrono::seconds{1707141789}}));
    }
};

// Checks in order: empty, Location hint, length, characters; an existing file is named before
// its too long name is, and never overwritten. An accepted name is created empty.
TEST_F(FileDialogsTest, NewFileDialogRefusesNamesInTheOrderOfItsChecks) {
    const std::string existing(65, 'e');
    drive.write("demo\\" + existing, "kept");
    for (const std::string& name :
         {std::string(62, 'a') + ".c", std::string(), std::string(63, 'a') + ".c",
          std::string("my file.c"), std::string("sub\\x.c"), "a b/" + std::string(70, 'x'),
          std::string(66, ' '), existing}) {
        answerDialogs(name, "fileName");
        CNewProjectFileDialog dialog(project);
        const int result = dialog.DoModal();
        seen += "== " + name + ": " + std::to_string(result) + " " + dialog.newFilePath() + "\n";
        seen += events();
    }
    EXPECT_EQ(drive.read("demo\\" + existing), "kept");
    EXPECT_EQ(drive.read("demo\\" + std::string(62, 'a') + ".c"), "");
}

// The location starts at the project, cannot be typed into, and follows only the chooser,
// which starts at the project's directory each time.
TEST_F(FileDialogsTest, NewFileDialogLocationChangesOnlyByBrowsing) {
    drive.makeFolder("elsewhere");
    dialogs.queueFolder("C:\\elsewhere\\");
    onModal([&](QDialog& dialog) {
        seen += describe(dialog, {"location"});
        click(dialog, "browse");
        click(dialog, "browse");
        seen += describe(dialog, {"location"});
        type(dialog, "fileName", "util.h");
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        return dialog.result();
    });
    CNewProjectFileDialog dialog(project);
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_EQ(dialog.newFilePath(), "C:\\elsewhere\\util.h");
    EXPECT_TRUE(onDisk("elsewhere\\util.h"));
    EXPECT_FALSE(onDisk("demo\\util.h"));
}

// Checks in order: empty, existing (a relative file below the project directory), length,
// characters, the same extension; the dialog starts with the old name.
TEST_F(FileDialogsTest, RenameDialogChecksTheNewNameInOrder) {
    for (const std::string& file : {std::string("main.c"), std::string("other.c"),
                                    std::string(63, 'o') + ".c", std::string("src\\helper.c")}) {
        drive.write("demo\\" + file, "");
    }
    const std::pair<SourceFile, Names> cases[] = {
        {SourceFile("main.c", "C:\\demo\\"),
         {std::string(62, 'm') + ".c", "", "other.c", std::string(63, 'm') + ".c", "my main.c",
          "main.h", "main.C", std::string(63, 'o') + ".c", std::string(70, ' ') + ".h",
          "my main.h"}},
        {SourceFile("src\\util.c"), {"helper.c", "tools.c"}}};
    for (const auto& [file, names] : cases) {
        for (const std::string& name : names) {
            onModal([&](QDialog& dialog) {
                seen += "== " + text(dialog, "newName") + " to " + name + ": ";
                type(dialog, "newName", name);
                click(dialog, "rename");
                return dialog.result();
            });
            CRenameFileDialog dialog(file, nullptr, "C:\\demo\\");
            const int result = dialog.DoModal();
            seen += std::to_string(result) + " " + dialog.newName() + "\n";
            seen += events();
        }
    }
}

// The object file lies in the output directory under the stem of the name; a folder of its
// name is none. A file that cannot be read fails the construction with a short message.
TEST_F(FileDialogsTest, FilePropertiesShowTheFileAndItsObjectFile) {
    project.setOutputDirectory("obj\\");
    for (const char* file : {"C:\\demo\\a.b.c", "C:\\demo\\Makefile", "D:\\elsewhere\\x.c"}) {
        seen += CPropertiesDialog::objectFilePath(project, file) + "\n";
    }
    writeDated("demo\\src.c", 1023);
    writeDated("demo\\obj\\src.o", 1536);
    writeDated("demo\\obj\\x.c", 1);
    drive.makeFolder("demo\\obj\\x.o");
    seen += describe(CPropertiesDialog(project, windows("src.c"))) +
            describe(CPropertiesDialog(project, windows("obj\\x.c")));
    drive.makeFolder("demo\\folder.c");
    for (const std::string& path :
         {windows("missing.c"), windows("folder.c"), windows(std::string(200, 'n') + ".c")}) {
        try {
            CPropertiesDialog dialog(project, path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const std::runtime_error& error) {
            seen += error.what() + std::string("\n");
        }
    }
    Project broken("demo", "C:\\demo\\");
    EXPECT_THROW(CPropertiesDialog(broken, windows("src.c")), std::runtime_error);
}

// Files whose status is missing show so, and are logged; without an active configuration the
// dialog stops filling and logs why.
TEST_F(FileDialogsTest, ProjectPropertiesShowProjectAndOutput) {
    project.setOutputFileName("demo.cof");
    project.setOutputDirectory("obj\\");
    const auto show = [&](const Project& shownProject) {
        const CProjectPropertiesDialog dialog(shownProject);
        seen += describe(dialog);
        seen += events();
    };
    show(project);
    writeDated("demo\\demo.aps", 10);
    writeDated("demo\\obj\\demo.cof", 1536);
    project.setPart("ATmega16");
    project.setDirty(true);
    show(project);
    show(Project("demo", "C:\\demo\\"));
}

// The answer ends with one backslash; no start folder means the current one.
TEST_F(FileDialogsTest, FolderBrowserAsksTheServiceAndEndsTheAnswerWithOneBackslash) {
    dialogs.queueFolder("C:\\work\\out\\");
    dialogs.queueFolder("C:\\work\\out");
    for (const char* start : {"C:\\work\\", "C:\\work\\", "C:\\work\\", ""}) {
        seen += FolderBrowser().browse(start) + "|";
    }
    seen += FolderBrowser().browse() + "\n";
}

// OK only on a real folder; an empty text selects the current folder. Each case starts from a
// folder that allows OK, so a stale state shows.
TEST_F(FileDialogsTest, FolderBrowserDialogAllowsOkOnlyOnARealFolder) {
    drive.makeFolder("proj/sub");
    drive.write("proj/file.txt", "");
    std::filesystem::create_directory_symlink(drive.linux("proj/sub"), drive.linux("proj/link"));
    FolderBrowserDialog dialog;
    for (const char* folder : {"C:\\proj\\sub\\", "C:\\proj\\sub", "", "C:\\proj\\link\\",
                               "C:\\proj\\file.txt", "C:\\proj\\missing\\"}) {
        dialog.selectFolder("C:\\proj\\sub\\");
        ASSERT_TRUE(dialog.okEnabled());
        dialog.selectFolder(folder);
        const bool here = dialog.selectedFolder() == FileSystem::currentFolder();
        seen += folder + std::string(" -> ") +
                (here ? "(current folder)" : dialog.selectedFolder()) +
                (dialog.okEnabled() ? " OK\n" : "\n");
    }
    for (const std::string& path : {std::string("/"), std::string("/usr/lib"), drive.linux("")}) {
        seen += FolderBrowserDialog::windowsFolder(QString::fromStdString(path)) + "\n";
    }
}

// Filters and paths cross between Windows and Qt; an unknown drive starts in the current folder.
TEST_F(FileDialogsTest, QtDialogServiceConvertsFiltersAndPaths) {
    for (const char* filter : {"Header File (*.h)|*.h;|All Files(*.*)|*.*|", "Sources|*.c;*.s;*.S|",
                               "Makefiles|Makefile;*.mk", "Text files", ""}) {
        seen += QtDialogService::toQtFilter(filter).toStdString() + "\n";
    }
    EXPECT_EQ(QtDialogService::startDirectory("C:\\demo\\").toStdString(), drive.linux("demo/"));
    EXPECT_EQ(QtDialogService::startDirectory("Z:\\usr\\lib").toStdString(), "/usr/lib");
    EXPECT_EQ(QtDialogService::startDirectory("Q:\\nowhere\\"), QDir::currentPath());
    const QStringList chosen = {QString::fromStdString(drive.linux("demo/main.c")), QString(),
                                QStringLiteral("/etc/hosts")};
    for (const std::string& path : QtDialogService::toWindowsPaths(chosen)) {
        seen += path + "\n";
    }
}

// A box closed otherwise than by a button gives the answer of its cancel.
TEST(QtDialogServiceTest, ButtonsAndAnswersMapBothWays) {
    using B = MessageButtons;
    using Q = QMessageBox;
    using A = MessageAnswer;
    const std::tuple<B, Q::StandardButtons, A> cases[] = {
        {B::Ok, Q::Ok, A::Ok},
        {B::OkCancel, Q::Ok | Q::Cancel, A::Cancel},
        {B::YesNo, Q::Yes | Q::No, A::No},
        {B::YesNoCancel, Q::Yes | Q::No | Q::Cancel, A::Cancel},
    };
    for (const auto& [buttons, qt, closedOtherwise] : cases) {
        EXPECT_EQ(QtDialogService::qtButtons(buttons), qt);
        EXPECT_EQ(QtDialogService::answerFor(Q::NoButton, buttons), closedOtherwise);
    }
}

// Acts on the first visible top-level widget of type T once the event loop shows it.
template <class T> void whenShown(std::function<void(T&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* found = qobject_cast<T*>(widget); found != nullptr && found->isVisible()) {
                timer->stop();
                timer->deleteLater();
                act(*found);
                return;
            }
        }
    });
    timer->start();
}

// A real box shows caption and text and gives the clicked answer; the real folder browser
// starts at the start folder and gives nothing when cancelled.
TEST(QtDialogServiceTest, RealDialogsShowTheirTextAndGiveTheAnswer) {
    std::string shown;
    whenShown<QMessageBox>([&](QMessageBox& box) {
        shown = box.windowTitle().toStdString() + ": " + box.text().toStdString();
        box.button(QMessageBox::No)->click();
    });
    QtDialogService service;
    EXPECT_EQ(service.messageBox("Really delete main.c ?", "Delete project file?",
                                 MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::No);
    EXPECT_EQ(shown, "Delete project file?: Really delete main.c ?");
    test::TempDrive drive;
    drive.makeFolder("proj/obj");
    whenShown<FolderBrowserDialog>([](FolderBrowserDialog& dialog) {
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    EXPECT_EQ(service.browseFolder("", "C:\\proj\\obj"), "C:\\proj\\obj\\");
    whenShown<FolderBrowserDialog>([](FolderBrowserDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(service.browseFolder("", "C:\\proj\\obj\\"), "");
}

} // namespace
} // namespace avrtazu::uitest
