#pragma once

#include "make/make_actions.h"

#include <string>
#include <vector>

namespace avrtazu {

// The make runner's actions on this machine: files through the drive map, commands split into
// words and started from the search path (the "del" command built in), output on stdout.
// run() only reads what the constructor set up, so jobs may call it at once.
class SystemMakeActions : public MakeActions {
public:
    SystemMakeActions();

    std::optional<std::filesystem::file_time_type> timeOf(const std::string& name) override;
    std::optional<std::string> readText(const std::string& name) override;
    int run(const std::string& command, JobOutput* output) override;
    void write(std::string_view text) override;

private:
    std::vector<std::string> folders_;
    // The compiler driver beside this program, whose no-op links are answered in-process.
    std::string ownCompiler_;
};

} // namespace avrtazu
