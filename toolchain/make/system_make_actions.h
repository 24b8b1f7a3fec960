#pragma once

#include "make/make_runner.h"

#include <string>
#include <vector>

namespace avrtazu {

// The make runner's actions on this machine: files through the drive map, commands split into
// words and started from the search path (the "del" command built in), output on stdout.
class SystemMakeActions : public MakeActions {
public:
    SystemMakeActions();

    std::optional<std::filesystem::file_time_type> timeOf(const std::string& name) override;
    int run(const std::string& command) override;
    void say(const std::string& line) override;

private:
    std::vector<std::string> folders_;
};

} // namespace avrtazu
