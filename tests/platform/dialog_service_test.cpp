#include "platform/dialog_service.h"
#include "platform/message_pump.h"
#include "platform/scripted_dialog_service.h"

#include <gtest/gtest.h>

#include <tuple>

namespace avrtazu {
namespace {

using Kind = ScriptedDialogService::DialogKind;

TEST(ScriptedDialogServiceTest, RecordsMessageBoxesAndAnswersFromTheQueueThenTheDefault) {
    using B = MessageButtons;
    using A = MessageAnswer;
    ScriptedDialogService dialogs;
    dialogs.queueAnswer(A::No);
    EXPECT_EQ(dialogs.messageBox("queued", "caption", MessageIcon::Question, B::YesNo), A::No);
    // Without a queued answer: accepting, then refusing.
    for (const auto& [buttons, accepted, refused] :
         {std::tuple(B::Ok, A::Ok, A::Ok), std::tuple(B::OkCancel, A::Ok, A::Cancel),
          std::tuple(B::YesNo, A::Yes, A::No), std::tuple(B::YesNoCancel, A::Yes, A::Cancel)}) {
        dialogs.setAcceptByDefault(true);
        EXPECT_EQ(dialogs.messageBox("t", "", MessageIcon::None, buttons), accepted);
        dialogs.setAcceptByDefault(false);
        EXPECT_EQ(dialogs.messageBox("t", "", MessageIcon::None, buttons), refused);
    }
    ASSERT_EQ(dialogs.messages().size(), 9u);
    const auto& first = dialogs.messages().front();
    EXPECT_EQ(std::tuple(first.text, first.caption, first.icon, first.buttons),
              std::tuple("queued", "caption", MessageIcon::Question, B::YesNo));
    EXPECT_EQ(dialogs.messages().back().buttons, B::YesNoCancel);

    // Clearing forgets the messages, the queue and the refusal.
    dialogs.queueAnswer(A::No);
    dialogs.clear();
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(dialogs.messageBox("t", "", MessageIcon::None, B::YesNo), A::Yes);
}

TEST(ScriptedDialogServiceTest, FileDialogsAnswerFromTheirQueuesElseCancel) {
    ScriptedDialogService dialogs;
    dialogs.queueOpenFiles({"C:\\a.c", "C:\\b.c"});
    dialogs.queueOpenFiles({"C:\\one.h", "C:\\two.h"});
    dialogs.queueSaveFile(std::string("C:\\work\\Makefile"));
    dialogs.queueFolder("C:\\work");

    using Files = std::vector<std::string>;
    EXPECT_EQ(dialogs.openFiles("Add source file", "Source File (*.c)|*.c;|", "C:\\w\\", true),
              (Files{"C:\\a.c", "C:\\b.c"}));
    // A dialog that allows one file gives one.
    EXPECT_EQ(dialogs.openFiles("Add Project file", "", "C:\\", false), Files{"C:\\one.h"});
    EXPECT_EQ(dialogs.openFiles("again", "", "", true), Files{});
    EXPECT_EQ(dialogs.saveFile("Export Makefile", "Makefile", "C:\\w\\", true),
              "C:\\work\\Makefile");
    EXPECT_EQ(dialogs.saveFile("Export Makefile", "Makefile", "C:\\w\\", false), std::nullopt);
    // A folder comes with its backslash.
    EXPECT_EQ(dialogs.browseFolder("Location", "C:\\"), "C:\\work\\");
    EXPECT_EQ(dialogs.browseFolder("Location", "C:\\"), "");

    const auto& requests = dialogs.dialogs();
    ASSERT_EQ(requests.size(), 7u);
    EXPECT_EQ(
        std::tuple(requests[0].kind, requests[0].title, requests[0].filter, requests[0].startFolder,
                   requests[0].allowMultiple),
        std::tuple(Kind::OpenFiles, "Add source file", "Source File (*.c)|*.c;|", "C:\\w\\", true));
    EXPECT_FALSE(requests[1].allowMultiple);
    EXPECT_EQ(std::tuple(requests[3].kind, requests[3].initialName, requests[3].overwritePrompt),
              std::tuple(Kind::SaveFile, "Makefile", true));
    EXPECT_FALSE(requests[4].overwritePrompt);
    EXPECT_EQ(requests[5].kind, Kind::BrowseFolder);
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

TEST(MessagePumpTest, PumpRunsTheInstalledStepOnly) {
    int steps = 0;
    MessagePump::pump();
    MessagePump::install([&steps] { ++steps; });
    MessagePump::pump();
    MessagePump::pump();
    EXPECT_EQ(steps, 2);
    // A step may replace itself while it runs.
    MessagePump::install([&steps] {
        ++steps;
        MessagePump::install({});
    });
    MessagePump::pump();
    MessagePump::pump();
    EXPECT_EQ(steps, 3);
}

} // namespace
} // namespace avrtazu
