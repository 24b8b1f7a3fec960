#pragma once

#include "model/configuration.h"
#include "model/project.h"
#include "platform/dialog_service.h"
#include "platform/scripted_dialog_service.h"
#include "services/fake_host_support.h"
#include "services/plug_in_utility.h"
#include "ui/compiler_option.h"
#include "ui/general_property_page.h"
#include "ui/include_property_page.h"
#include "ui/modal_runner.h"
#include "ui/project_properties_sheet.h"
#include "ui/target_option_dlg.h"

#include <QAbstractButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu::uitest {

// A control of a page or dialog by its objectName; a missing one fails the test.
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

// A project in C:\work\demo\ with three configurations ("default" active), a recording host
// and hub, and a scripted dialog service; sheets run through a modal hook the test sets.
class OptionsSheetTest : public ::testing::Test {
protected:
    static constexpr const char* kHome = "C:\\work\\demo\\";

    void SetUp() override {
        DialogService::install(&dialogs);
        PlugInUtility::instance().setHost(&works);
        Configuration standard("default", "demo.o");
        standard.setOutputDirectory("default\\");
        standard.addIncludeDirectory("C:\\work\\demo\\inc");
        standard.addIncludeDirectory("D:\\avr\\include");
        standard.addAsmIncludeDirectory("asm");
        standard.addLibraryDirectory("D:\\avr\\lib");
        Configuration release("Release", "release.o");
        release.setOutputDirectory("out\\");
        release.addIncludeDirectory("D:\\release\\include");
        project.addConfig(standard);
        project.addConfig(release);
        project.addConfig(Configuration("alpha", "alpha.o"));
    }

    void TearDown() override {
        ModalRunner::setHook({});
        DialogService::install(nullptr);
    }

    // A sheet whose Target page needs no supported-parts file.
    std::unique_ptr<CProjectPropertiesSheet> makeSheet(Project& edited) {
        auto sheet = std::make_unique<CProjectPropertiesSheet>(edited, false);
        sheet->targetPage().setSupportedParts({"Custom", "AT90S2313"});
        return sheet;
    }
    std::unique_ptr<CProjectPropertiesSheet> makeSheet() { return makeSheet(project); }

    // Runs the sheet through the modal runner with the hook doing what a user would.
    int runSheet(CProjectPropertiesSheet& sheet, std::function<int(QDialog&)> user) {
        ModalRunner::setHook(std::move(user));
        const int result = sheet.DoModal();
        ModalRunner::setHook({});
        return result;
    }

    // Debug lines of the log, as (context, message).
    std::vector<std::pair<std::string, std::string>> debugLines() const {
        std::vector<std::pair<std::string, std::string>> lines;
        for (const auto& line : hub->logs) {
            if (line.level == 3) {
                lines.emplace_back(line.context, line.message);
            }
        }
        return lines;
    }
    std::vector<std::string> errorLines() const {
        std::vector<std::string> lines;
        for (const auto& line : hub->logs) {
            if (line.level == 2) {
                lines.push_back(line.message);
            }
        }
        return lines;
    }

    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();
    fakes::HubInstallation installation{hub};
    fakes::RecordingWorks works;
    ScriptedDialogService dialogs;
    Project project{"demo", kHome};
};

} // namespace avrtazu::uitest
