#pragma once

// Ahead of every Qt header, whose "emit" keyword macro would rewrite LogSink::emit.
#include "services/plug_in_utility.h"

#include "model/configuration.h"
#include "model/project.h"
#include "platform/dialog_service.h"
#include "platform/scripted_dialog_service.h"
#include "platform/temp_drive.h"
#include "services/fake_host_support.h"
#include "ui/modal_runner.h"
#include "ui/project_properties_sheet.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QComboBox;

namespace avrtazu::uitest {

using Names = std::vector<std::string>;

// A control of a page or dialog by its objectName; a missing one ends the test with an error.
template <typename T> T& control(const QWidget& parent, const std::string& name) {
    T* found = parent.findChild<T*>(QString::fromStdString(name));
    if (found == nullptr) {
        throw std::runtime_error("no control named " + name);
    }
    return *found;
}
inline void click(const QWidget& parent, const std::string& name) {
    control<QAbstractButton>(parent, name).click();
}
inline std::string text(const QWidget& parent, const std::string& lineEdit) {
    return control<QLineEdit>(parent, lineEdit).text().toStdString();
}
inline void type(const QWidget& parent, const std::string& lineEdit, const std::string& text) {
    control<QLineEdit>(parent, lineEdit).setText(QString::fromLocal8Bit(text));
}
// Selects the entry of that text, as a user picking it from the list.
void choose(const QWidget& parent, const std::string& comboBox, const std::string& entry);

Names entries(const QComboBox& list);
// The names of the device table, in its order.
Names deviceNames();

// What the user sees of every named control below parent, one line each: its text, entries,
// check mark, and whether it is read-only, disabled or hidden. Long lists show their size only.
// Only the controls named in only, when it is given; else a window's title first.
std::string describe(const QWidget& parent, const Names& only = {});
// Every setting that differs between two states of a project, one line each.
std::string changes(const Project& before, const Project& after);
// Adds to project the files and configurations of a fixture file in the golden folder: "source",
// "header" and "other" lines add a file; "config <name>" starts a configuration, and
// "<setting> <value>" lines set it (flags 1/0); list lines add an entry to it, or to the
// active one before any.
void load(Project& project, const std::string& fixture);

// Around each test: a recording hub, recording works (the host only where a test installs
// them), scripted dialogs, and modal dialogs answered by a hook the test sets.
class UiTest : public ::testing::Test {
protected:
    UiTest() { DialogService::install(&dialogs); }
    ~UiTest() override {
        ModalRunner::setHook({});
        DialogService::install(nullptr);
    }

    // What the test saw, in order. When it is not empty, it must at the end of the test, with the
    // events not taken yet, equal the golden file <suite>.<test>.txt.
    std::string seen;
    void TearDown() override;

    // Everything recorded since the last call, one line each: log lines, message boxes, file
    // dialogs, modal dialogs, files the host opened or closed, help requests, parts set.
    std::string events();

    // The next modal dialogs get text typed into the line edit editName and the button
    // buttonName (or the button box's OK) clicked, and give their result.
    void answerDialogs(const std::string& text, const std::string& editName,
                       const std::string& buttonName = "");
    void cancelDialogs();
    void onModal(ModalRunner::Hook hook) { ModalRunner::setHook(std::move(hook)); }

    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();
    fakes::HubInstallation installation{hub};
    fakes::RecordingWorks works;
    ScriptedDialogService dialogs;
    Names modalDialogs;

private:
    std::size_t m_messagesSeen = 0;
    std::size_t m_dialogsSeen = 0;
};

// A temporary drive C: with the project "demo" in C:\demo\ (configuration "default").
class DriveTest : public UiTest {
protected:
    DriveTest() {
        drive.makeFolder("demo");
        project.addConfig(Configuration("default"));
    }

    static std::string windows(const std::string& relative) { return "C:\\demo\\" + relative; }
    bool onDisk(const std::string& relativeToDrive) const {
        return std::filesystem::exists(drive.linux(relativeToDrive));
    }

    test::TempDrive drive;
    Project project{"demo", "C:\\demo\\"};
};

// The project "demo" in C:\work\demo\ loaded from a fixture file.
class OptionsTest : public UiTest {
protected:
    static constexpr const char* kHome = "C:\\work\\demo\\";

    explicit OptionsTest(const std::string& fixture = "options_project.txt");

    // A sheet whose Target page lists the device table without reading a file.
    std::unique_ptr<CProjectPropertiesSheet> makeSheet(Project& edited);
    // Runs a sheet over edited modally: the user acts on it, then clicks the button. Gives the
    // sheet's result, and adds to seen what changed in edited and what happened.
    int runSheet(Project& edited, const std::function<void(CProjectPropertiesSheet&)>& user,
                 const std::string& button = "okButton");

    Project project{"demo", kHome};
};

} // namespace avrtazu::uitest
