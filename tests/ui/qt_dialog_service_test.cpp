#include "ui/ui_test_support.h"

#include "platform/file_system.h"
#include "ui/folder_browser.h"
#include "ui/folder_browser_dialog.h"
#include "ui/qt_dialog_service.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace avrtazu::uitest {
namespace {

using FolderBrowserTest = DriveTest;

// The answer ends with one backslash; no start folder means the current one.
TEST_F(FolderBrowserTest, AsksTheServiceAtTheStartFolderAndEndsTheAnswerWithOneBackslash) {
    dialogs.queueFolder("C:\\work\\out\\");
    dialogs.queueFolder("C:\\work\\out");
    std::string answers;
    for (int i = 0; i < 3; ++i) {
        answers += FolderBrowser().browse("C:\\work\\") + "|";
    }
    EXPECT_EQ(answers, "C:\\work\\out\\|C:\\work\\out\\||");
    FolderBrowser().browse("");
    FolderBrowser().browse();
    const std::string here = "folder dialog \"\" at " + FileSystem::currentFolder() + "\n";
    EXPECT_EQ(events(), "folder dialog \"\" at C:\\work\\\n"
                        "folder dialog \"\" at C:\\work\\\n"
                        "folder dialog \"\" at C:\\work\\\n" +
                            here + here);
}

TEST_F(FolderBrowserTest, DialogAllowsOkOnlyOnARealFolder) {
    drive.makeFolder("proj/sub");
    drive.write("proj/file.txt", "");
    std::filesystem::create_directory_symlink(drive.linux("proj/sub"), drive.linux("proj/link"));
    // An empty text selects the current folder; an empty result: OK not allowed.
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\proj\\sub\\", "C:\\proj\\sub\\"},
        {"C:\\proj\\sub", "C:\\proj\\sub\\"},
        {"", FileSystem::currentFolder()},
        {"C:\\proj\\link\\", ""},
        {"C:\\proj\\file.txt", ""},
        {"C:\\proj\\missing\\", ""},
    };
    FolderBrowserDialog dialog;
    for (const auto& [select, result] : cases) {
        // Each case starts from a folder that allows OK, so a stale state shows.
        dialog.selectFolder("C:\\proj\\sub\\");
        ASSERT_TRUE(dialog.okEnabled());
        dialog.selectFolder(select);
        EXPECT_EQ(dialog.okEnabled(), !result.empty()) << select;
        EXPECT_EQ(dialog.selectedFolder(), result) << select;
    }
    EXPECT_EQ(FolderBrowserDialog::windowsFolder("/"), "Z:\\");
    EXPECT_EQ(FolderBrowserDialog::windowsFolder("/usr/lib"), "Z:\\usr\\lib\\");
    EXPECT_EQ(FolderBrowserDialog::windowsFolder(QString::fromStdString(drive.linux(""))), "C:\\");
}

TEST(QtDialogServiceTest, WindowsFiltersBecomeQtFilters) {
    const std::pair<const char*, const char*> cases[] = {
        {"Header File (*.h)|*.h;|All Files(*.*)|*.*|", "Header File (*.h);;All Files (*)"},
        {"Sources|*.c;*.s;*.S|", "Sources (*.c *.s *.S)"},
        {"Makefiles|Makefile;*.mk", "Makefiles (Makefile *.mk)"},
        {"Text files", "Text files (*)"},
        {"", ""},
    };
    for (const auto& [windows, qt] : cases) {
        EXPECT_EQ(QtDialogService::toQtFilter(windows).toStdString(), qt) << windows;
    }
}

TEST(QtDialogServiceTest, PathsCrossBetweenWindowsAndLinux) {
    test::TempDrive drive;
    EXPECT_EQ(QtDialogService::startDirectory("C:\\proj\\").toStdString(), drive.linux("proj/"));
    EXPECT_EQ(QtDialogService::startDirectory("Z:\\usr\\lib").toStdString(), "/usr/lib");
    EXPECT_EQ(QtDialogService::startDirectory(""), QDir::currentPath());
    EXPECT_EQ(QtDialogService::startDirectory("Q:\\nowhere\\"), QDir::currentPath());

    const QStringList chosen = {QString::fromStdString(drive.linux("proj/main.c")), QString(),
                                QStringLiteral("/etc/hosts")};
    EXPECT_EQ(QtDialogService::toWindowsPaths(chosen),
              (std::vector<std::string>{"C:\\proj\\main.c", "Z:\\etc\\hosts"}));
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
    const std::pair<int, A> clicked[] = {
        {Q::Yes, A::Yes}, {Q::No, A::No}, {Q::Ok, A::Ok}, {Q::Cancel, A::Cancel}};
    for (const auto& [button, answer] : clicked) {
        EXPECT_EQ(QtDialogService::answerFor(button, B::YesNo), answer);
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

TEST(QtDialogServiceTest, MessageBoxShowsTextAndGivesTheClickedAnswer) {
    std::string shownText;
    std::string shownTitle;
    whenShown<QMessageBox>([&](QMessageBox& box) {
        shownText = box.text().toStdString();
        shownTitle = box.windowTitle().toStdString();
        box.button(QMessageBox::No)->click();
    });
    QtDialogService service;
    EXPECT_EQ(service.messageBox("Really delete the project file main.c ?", "Delete project file?",
                                 MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::No);
    EXPECT_EQ(shownText, "Really delete the project file main.c ?");
    EXPECT_EQ(shownTitle, "Delete project file?");
}

TEST(QtDialogServiceTest, BrowseFolderShowsTheFolderBrowserAtTheStartFolder) {
    test::TempDrive drive;
    drive.makeFolder("proj/obj");
    whenShown<FolderBrowserDialog>([](FolderBrowserDialog& dialog) {
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    QtDialogService service;
    EXPECT_EQ(service.browseFolder("", "C:\\proj\\obj"), "C:\\proj\\obj\\");

    whenShown<FolderBrowserDialog>([](FolderBrowserDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(service.browseFolder("", "C:\\proj\\obj\\"), "");
}

} // namespace
} // namespace avrtazu::uitest
