#include "build/build_driver_fixture.h"

#include "model/configuration.h"
#include "platform/registry.h"
#include "services/plug_in_utility.h"

#include <algorithm>
#include <sstream>

namespace avrtazu::test {

HRESULT ClearingWorks::ClearOutput() {
    output.clear();
    return RecordingWorks::ClearOutput();
}

bool RecordingTree::containsFile(const std::string& path) {
    return std::find(shown.begin(), shown.end(), path) != shown.end();
}

void RecordingTree::removeFile(const std::string& path) {
    removed.push_back(path);
    shown.erase(std::remove(shown.begin(), shown.end(), path), shown.end());
}

void RecordingTree::addFileToProject(const std::string& path) {
    added.push_back(path);
    shown.push_back(path);
}

BuildDriverFixture::BuildDriverFixture() {
    Registry::setFile(drive.linuxPath("empty.reg"));
    PlugInUtility::instance().setHost(&works);
    DialogService::install(&dialogs);

    project.addConfig(Configuration("default", "demo.cof"));
    project.setUsesTazuAvr(false);
    project.setTazuLocation("C:\\tools\\bin");
    project.setMakeLocation("C:\\tools\\bin");
    project.addSrcFile(SourceFile("main.c"));
    project.addSrcFile(SourceFile("src\\uart.c"));
    project.addHdrFile(SourceFile("main.h"));
    drive.write("work/demo/main.c", "int main(void) { return 0; }\n");
    drive.write("work/demo/src/uart.c", "void uart(void) {}\n");
    drive.write("work/demo/main.h", "\n");

    const std::string root = drive.root();
    drive.write("tools/bin/tazuavr.exe", "#!/bin/sh\necho tazuavr \"$@\"\n", true);
    drive.write("tools/bin/tazumake.exe",
                "#!/bin/sh\n"
                "echo \"$PWD|$*\" >> '" +
                    root +
                    "/make-calls.txt'\n"
                    "echo \"tazuavr -c main.c\"\n"
                    "[ -f '" +
                    root + "/make-output.txt' ] && cat '" + root +
                    "/make-output.txt'\n"
                    "if [ -f '" +
                    root +
                    "/make-creates.txt' ]; then\n"
                    "  for f in $(cat '" +
                    root +
                    "/make-creates.txt'); do : > \"$f\"; done\n"
                    "fi\n"
                    "exit 0\n",
                true);
    makeCreates("demo.cof demo.lis demo.mp");
}

BuildDriverFixture::~BuildDriverFixture() {
    DialogService::install(nullptr);
    Registry::setFile("");
}

void BuildDriverFixture::makePrints(const std::string& text) {
    drive.write("make-output.txt", text);
}

void BuildDriverFixture::makeCreates(const std::string& names) {
    drive.write("make-creates.txt", names);
}

std::vector<std::string> BuildDriverFixture::makeCalls() const {
    std::vector<std::string> calls;
    std::istringstream lines(drive.read("make-calls.txt"));
    for (std::string line; std::getline(lines, line);) {
        calls.push_back(line);
    }
    return calls;
}

std::vector<std::string> BuildDriverFixture::outputTexts() const {
    std::vector<std::string> texts;
    for (const auto& line : works.output) {
        texts.push_back(line.text);
    }
    return texts;
}

int BuildDriverFixture::logCount(long level, const std::string& message) const {
    return static_cast<int>(std::count_if(hub->logs.begin(), hub->logs.end(), [&](const auto& l) {
        return l.level == level && l.message == message;
    }));
}

std::vector<std::string> BuildDriverFixture::logMessages(long level) const {
    std::vector<std::string> messages;
    for (const auto& line : hub->logs) {
        if (line.level == level) {
            messages.push_back(line.message);
        }
    }
    return messages;
}

} // namespace avrtazu::test
