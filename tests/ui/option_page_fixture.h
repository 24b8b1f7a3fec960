#pragma once

#include "model/configuration.h"
#include "model/project.h"
#include "platform/dialog_service.h"
#include "platform/scripted_dialog_service.h"
#include "services/fake_host_support.h"
#include "services/plug_in_utility.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace avrtazu::pagetest {

// A recording hub and a scripted dialog service around each test of a single page or dialog,
// with a project "blink" whose configuration "default" is active.
class OptionPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        DialogService::install(&dialogs);
        project.addConfig(Configuration("default", "blink.o"));
        project.addConfig(Configuration("release", "blink.o"));
    }
    void TearDown() override { DialogService::install(nullptr); }

    template <typename T> static T& control(const QWidget& parent, const char* name) {
        T* found = parent.findChild<T*>(QString::fromLatin1(name));
        if (found == nullptr) {
            throw std::runtime_error(std::string("no control named ") + name);
        }
        return *found;
    }

    // The log lines of one level (0 information, 1 warning, 2 error, 3 debug), as
    // "context|message" for debug lines and the bare message otherwise.
    std::vector<std::string> logLines(long level) const {
        std::vector<std::string> lines;
        for (const auto& line : hub->logs) {
            if (line.level == level) {
                lines.push_back(level == 3 ? line.context + "|" + line.message : line.message);
            }
        }
        return lines;
    }

    std::shared_ptr<fakes::RecordingHub> hub = std::make_shared<fakes::RecordingHub>();
    fakes::HubInstallation installation{hub};
    ScriptedDialogService dialogs;
    Project project{"blink", "C:\\work\\blink\\"};
};

} // namespace avrtazu::pagetest
