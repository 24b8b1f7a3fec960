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
class QListWidget;
class QTreeWidgetItem;

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

// The entries of a combo box, a list or a tree item, in order.
Names entries(const QComboBox& list);
Names entries(const QListWidget& list);
Names entries(const QTreeWidgetItem* parent);

// Around each test: a recording hub, recording works (the host only where a test installs
// them), scripted dialogs, and modal dialogs answered by a hook the test sets.
class UiTest : public ::testing::Test {
protected:
    UiTest() { DialogService::install(&dialogs); }
    ~UiTest() override {
        ModalRunner::setHook({});
        DialogService::install(nullptr);
    }

    // Log lines of one level (0 information, 1 warning, 2 error, 3 debug): "context|message"
    // for debug lines, the bare message otherwise.
    Names logs(long level) const;
    Names messageTexts() const;

    // The next modal dialogs record their class, get text typed into the line edit editName and
    // the button buttonName (or the button box's OK) clicked, and give their result.
    void answerDialogs(const std::string& text, const std::string& editName,
                       const std::string& buttonName = "");
    void cancelDialogs();
    void onModal(ModalRunner::Hook hook) { ModalRunner::setHook(std::move(hook)); }

    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();
    fakes::HubInstallation installation{hub};
    fakes::RecordingWorks works;
    ScriptedDialogService dialogs;
    Names modalDialogs;
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

// The project "demo" in C:\work\demo\ with the configurations "default" (active: "demo.o" in
// "default\", two include folders, one assembler include folder, one library folder),
// "Release" ("release.o" in "out\", one include folder) and "alpha".
class OptionsTest : public UiTest {
protected:
    static constexpr const char* kHome = "C:\\work\\demo\\";

    OptionsTest();

    // A sheet whose Target page needs no supported-parts file.
    std::unique_ptr<CProjectPropertiesSheet> makeSheet(Project& edited);
    std::unique_ptr<CProjectPropertiesSheet> makeSheet() { return makeSheet(project); }
    // Runs the sheet modally: the user acts on it, then clicks the button.
    int runSheet(CProjectPropertiesSheet& sheet, const std::function<void()>& user,
                 const std::string& button = "okButton");

    Project project{"demo", kHome};
};

} // namespace avrtazu::uitest
