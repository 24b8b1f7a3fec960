// Batch-file text run by the batch-file runner, with arguments 0 to 2 set. The runner's process
// half is replaced here: it inherits no variables and starts no program. Inputs that redirect
// to or from a file are refused ("N>&M" and NUL stay), so that no run writes a file.

#include "platform/batch_runner.h"

#include <climits>
#include <cstdint>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace avrtazu {

void BatchRunner::inheritEnvironment() {
    char buffer[PATH_MAX];
    folder_ = ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string("/");
}

int BatchRunner::spawnAndWait(const std::string&, const std::vector<std::string>& arguments,
                              const std::vector<Redirection>&) {
    return static_cast<int>(arguments.size());
}

} // namespace avrtazu

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::regex toFile(R"([<>](?!&\d|>?[ \t]*nul:?([ \t\n]|$)))", std::regex::icase);
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (std::regex_search(text, toFile)) {
        return -1;
    }
    std::ostringstream out;
    std::ostringstream err;
    avrtazu::BatchRunner runner(out, err);
    runner.runText(text, {"Z:\\fuzz\\run.bat", "first", "\"two words\""});
    return 0;
}
