#include "make/system_make_actions.h"

#include "avr/compiler_driver.h"
#include "common/command_words.h"
#include "common/process_runner.h"
#include "common/toolchain_layout.h"
#include "make/del_command.h"
#include "platform/file_system.h"
#include "platform/program_locator.h"
#include "platform/text_case.h"
#include "platform/toolchain_contract.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <system_error>

namespace avrtazu {

SystemMakeActions::SystemMakeActions() : folders_(ProgramLocator::searchFolders()) {
    // The toolchain's own folder comes last, so its tools are found even on a bare PATH.
    const std::string own = ToolchainLayout::binFolder();
    if (!own.empty()) {
        folders_.push_back(own);
        ownCompiler_ = own + "/" + std::string(toolchain_contract::kCompilerDriver);
    }
}

std::optional<std::filesystem::file_time_type> SystemMakeActions::timeOf(const std::string& name) {
    // The platform's status, not a filesystem path made of each name: make asks this of every
    // file of a build.
    const std::optional<FileStatus> status = FileSystem::status(name);
    if (!status) {
        return std::nullopt;
    }
    using namespace std::chrono;
    return file_clock::from_sys(sys_time<nanoseconds>(nanoseconds(status->modifiedNanoseconds)));
}

std::optional<std::string> SystemMakeActions::readText(const std::string& name) {
    return FileSystem::readFile(name);
}

int SystemMakeActions::run(const std::string& command, JobOutput* output) {
    const std::vector<std::string> words = CommandWords::split(command);
    if (words.empty()) {
        return 0;
    }
    const std::string name = TextCase::lower(words.front());
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (name == "del" || name == "erase") {
        DelCommand::run(arguments);
        return 0;
    }
    const std::string program = ProgramLocator::find(words.front(), folders_);
    if (program.empty()) {
        report("tazumake: " + words.front() + ": No such file or directory", output);
        return 127;
    }
    // A link of the toolchain's own compiler driver that would change nothing is answered here,
    // by the driver's own code and with its own lines: a build with nothing to do starts no
    // program for it.
    if (program == ownCompiler_) {
        if (const std::optional<int> status = CompilerDriver::runIfUpToDateLink(
                arguments, [this, output](const std::string& line) { report(line, output); })) {
            return *status;
        }
    }
    // The children stay in this process's group: cancelling a build stops the whole group.
    // A job in the foreground stays there until it ends, so its tools write straight out.
    const ProcessResult result =
        output == nullptr || output->foreground()
            ? ProcessRunner::runPassThrough(program, arguments)
            : ProcessRunner::runStreamed(program, arguments,
                                         [output](std::string_view text) { output->write(text); });
    if (!result.started) {
        report("tazumake: " + words.front() + ": " + result.failure, output);
        return 127;
    }
    return result.exitCode;
}

void SystemMakeActions::write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

} // namespace avrtazu
