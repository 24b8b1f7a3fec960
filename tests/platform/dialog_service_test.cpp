#include "platform/dialog_service.h"
#include "platform/message_pump.h"
#include "platform/scripted_dialog_service.h"

#include <gtest/gtest.h>

namespace avrtazu {
namespace {

using Kind = ScriptedDialogService::DialogKind;

TEST(ScriptedDialogServiceTest, RecordsMessageBoxesAndAnswersFromTheQueueThenTheDefault) {
    ScriptedDialogService dialogs;
    dialogs.queueAnswer(MessageAnswer::No);
    struct Case {
        MessageButtons buttons;
        bool accept;
        MessageAnswer answer;
    } cases[] = {
        {MessageButtons::YesNo, true, MessageAnswer::No}, // queued
        {MessageButtons::YesNo, true, MessageAnswer::Yes},
        {MessageButtons::Ok, true, MessageAnswer::Ok},
        {MessageButtons::OkCancel, true, MessageAnswer::Ok},
        {MessageButtons::YesNoCancel, true, MessageAnswer::Yes},
        {MessageButtons::Ok, false, MessageAnswer::Ok},
        {MessageButtons::OkCancel, false, MessageAnswer::Cancel},
        {MessageButtons::YesNo, false, MessageAnswer::No},
        {MessageButtons::YesNoCancel, false, MessageAnswer::Cancel},
    };
    int shown = 0;
    for (const auto& c : cases) {
        dialogs.setAcceptByDefault(c.accept);
        const std::string text = "message " + std::to_string(shown++);
        EXPECT_EQ(dialogs.messageBox(text, "caption", MessageIcon::Question, c.buttons), c.answer)
            << text;
    }
    ASSERT_EQ(dialogs.messages().size(), std::size(cases));
    const auto& first = dialogs.messages().front();
    EXPECT_EQ(first.text, "message 0");
    EXPECT_EQ(first.caption, "caption");
    EXPECT_EQ(first.icon, MessageIcon::Question);
    EXPECT_EQ(first.buttons, MessageButtons::YesNo);
    EXPECT_EQ(dialogs.messages().back().buttons, MessageButtons::YesNoCancel);

    dialogs.clear();
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(dialogs.messageBox("t", "", MessageIcon::None, MessageButtons::YesNo),
              MessageAnswer::Yes);
}

TEST(ScriptedDialogServiceTest, FileDialogsAnswerFromTheirQueuesElseCancel) {
    ScriptedDialogService dialogs;
    dialogs.queueOpenFiles({"C:\\a.c", "C:\\b.c"});
    dialogs.queueOpenFiles({"C:\\one.h", "C:\\two.h"});
    dialogs.queueSaveFile(std::string("C:\\work\\Makefile"));
    dialogs.queueFolder("C:\\work");

    EXPECT_EQ(dialogs.openFiles("Add source file", "Source File (*.c)|*.c;|", "C:\\work\\", true),
              (std::vector<std::string>{"C:\\a.c", "C:\\b.c"}));
    // A dialog that allows one file gives one.
    EXPECT_EQ(dialogs.openFiles("Add Project file", "", "C:\\", false),
              std::vector<std::string>{"C:\\one.h"});
    EXPECT_TRUE(dialogs.openFiles("again", "", "", true).empty());

    EXPECT_EQ(dialogs.saveFile("Export Makefile", "Makefile", "C:\\work\\", true),
              "C:\\work\\Makefile");
    EXPECT_FALSE(dialogs.saveFile("Export Makefile", "Makefile", "C:\\work\\", true));

    EXPECT_EQ(dialogs.browseFolder("Location", "C:\\"), "C:\\work\\");
    EXPECT_EQ(dialogs.browseFolder("Location", "C:\\"), "");

    const auto& requests = dialogs.dialogs();
    ASSERT_EQ(requests.size(), 7u);
    EXPECT_EQ(requests[0].kind, Kind::OpenFiles);
    EXPECT_EQ(requests[0].title, "Add source file");
    EXPECT_EQ(requests[0].filter, "Source File (*.c)|*.c;|");
    EXPECT_EQ(requests[0].startFolder, "C:\\work\\");
    EXPECT_TRUE(requests[0].allowMultiple);
    EXPECT_FALSE(requests[1].allowMultiple);
    EXPECT_EQ(requests[3].kind, Kind::SaveFile);
    EXPECT_EQ(requests[3].initialName, "Makefile");
    EXPECT_TRUE(requests[3].overwritePrompt);
    EXPECT_EQ(requests[5].kind, Kind::BrowseFolder);
}

class CountingDialogs : public ScriptedDialogService {};

TEST(DialogServiceTest, CurrentIsTheInstalledServiceElseTheScriptedOne) {
    DialogService& fallback = DialogService::current();
    EXPECT_NE(dynamic_cast<ScriptedDialogService*>(&fallback), nullptr);
    EXPECT_EQ(fallback.messageBox("?", "", MessageIcon::Question, MessageButtons::YesNo),
              MessageAnswer::Yes);

    CountingDialogs installed;
    DialogService::install(&installed);
    EXPECT_EQ(&DialogService::current(), &installed);
    DialogService::current().messageBox("shown", "c", MessageIcon::Error, MessageButtons::Ok);
    EXPECT_EQ(installed.messages().size(), 1u);

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
