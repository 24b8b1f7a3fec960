#include "platform/dialog_service.h"
#include "platform/message_pump.h"
#include "platform/scripted_dialog_service.h"

#include <gtest/gtest.h>

#include <tuple>

namespace avrtazu {
namespace {

using A = MessageAnswer;
using B = MessageButtons;
using Files = std::vector<std::string>;

TEST(ScriptedDialogServiceTest, MessageBoxesAnswerFromTheQueueThenAcceptOrRefuse) {
    ScriptedDialogService dialogs;
    dialogs.queueAnswer(A::No);
    EXPECT_EQ(dialogs.messageBox("queued", "caption", MessageIcon::Question, B::YesNo), A::No);
    const auto& first = dialogs.messages().at(0);
    EXPECT_EQ(std::tuple(first.text, first.caption, first.icon, first.buttons),
              std::tuple("queued", "caption", MessageIcon::Question, B::YesNo));
    for (const auto& [buttons, accepted, refused] :
         {std::tuple(B::Ok, A::Ok, A::Ok), std::tuple(B::OkCancel, A::Ok, A::Cancel),
          std::tuple(B::YesNo, A::Yes, A::No), std::tuple(B::YesNoCancel, A::Yes, A::Cancel)}) {
        EXPECT_EQ(dialogs.messageBox("t", "", MessageIcon::None, buttons), accepted);
        dialogs.setAcceptByDefault(false);
        EXPECT_EQ(dialogs.messageBox("t", "", MessageIcon::None, buttons), refused);
        dialogs.queueAnswer(A::No);
        dialogs.clear(); // forgets the messages, the queue and the refusal
        EXPECT_TRUE(dialogs.messages().empty());
    }
}

TEST(ScriptedDialogServiceTest, FileDialogsAnswerFromTheirQueuesElseCancel) {
    ScriptedDialogService dialogs;
    dialogs.queueOpenFiles({"C:\\a.c", "C:\\b.c"});
    dialogs.queueOpenFiles({"C:\\one.h", "C:\\two.h"});
    dialogs.queueSaveFile(std::string("C:\\work\\Makefile"));
    dialogs.queueFolder("C:\\work");
    EXPECT_EQ(dialogs.openFiles("Add source file", "Source File (*.c)|*.c;|", "C:\\w\\", true),
              (Files{"C:\\a.c", "C:\\b.c"}));
    EXPECT_EQ(dialogs.openFiles("Add Project file", "", "C:\\", false), Files{"C:\\one.h"});
    EXPECT_EQ(dialogs.openFiles("again", "", "", true), Files{});
    EXPECT_EQ(dialogs.saveFile("Export Makefile", "Makefile", "C:\\w\\", true),
              "C:\\work\\Makefile");
    EXPECT_EQ(dialogs.saveFile("Export Makefile", "Makefile", "C:\\w\\", false), std::nullopt);
    EXPECT_EQ(dialogs.browseFolder("Location", "C:\\"), "C:\\work\\");
    EXPECT_EQ(dialogs.browseFolder("Location", "C:\\"), "");
    const auto& r = dialogs.dialogs();
    ASSERT_EQ(r.size(), 7u);
    EXPECT_EQ(std::tuple(r[0].kind, r[0].title, r[0].filter, r[0].startFolder, r[0].allowMultiple),
              std::tuple(ScriptedDialogService::DialogKind::OpenFiles, "Add source file",
                         "Source File (*.c)|*.c;|", "C:\\w\\", true));
    EXPECT_EQ(std::tuple(r[3].initialName, r[3].overwritePrompt, r[4].overwritePrompt),
              std::tuple("Makefile", true, false));
}

TEST(DialogServiceTest, CurrentIsTheInstalledServiceElseTheScriptedOne) {
    DialogService& fallback = DialogService::current();
    EXPECT_NE(dynamic_cast<ScriptedDialogService*>(&fallback), nullptr);
    ScriptedDialogService installed;
    DialogService::install(&installed);
    EXPECT_EQ(&DialogService::current(), &installed);
    DialogService::install(nullptr);
    EXPECT_EQ(&DialogService::current(), &fallback);
}

TEST(MessagePumpTest, PumpRunsTheInstalledStepWhichMayReplaceItself) {
    int steps = 0;
    MessagePump::install([&steps] {
        ++steps;
        MessagePump::install({});
    });
    MessagePump::pump();
    MessagePump::pump();
    EXPECT_EQ(steps, 1);
}

} // namespace
} // namespace avrtazu
