// Batch-file text run by the batch-file runner, with arguments 0 to 2 set. The runner's process
// half is replaced here: it inherits no variables and starts no program. Inputs that redirect
// to or from a file are refused ("N>&M" and NUL stay), so that no run writes a file.

#include "platform/batch_runner.h"
#include "platform/text_case.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstddef>
#include <cstdint>
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

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// Whether a redirection at `at` may name a file: anything but "N>&M" and NUL.
bool mayWriteFile(const std::string& text, std::size_t at) {
    if (at + 2 < text.size() && text[at + 1] == '&' &&
        std::isdigit(static_cast<unsigned char>(text[at + 2]))) {
        return false;
    }
    at = text.find_first_not_of(" \t", text[at + 1] == '>' ? at + 2 : at + 1);
    const std::string device = avrtazu::TextCase::lower(text.substr(std::min(at, text.size()), 4));
    if (device.rfind("nul", 0) != 0) {
        return true;
    }
    at += device == "nul:" ? 4 : 3;
    return at < text.size() && !isBlank(text[at]);
}

bool writesFile(const std::string& text) {
    for (std::size_t at = text.find_first_of("<>"); at != std::string::npos;
         at = text.find_first_of("<>", at + 1)) {
        if (mayWriteFile(text, at)) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (writesFile(text)) {
        return -1;
    }
    std::ostringstream out;
    std::ostringstream err;
    avrtazu::BatchRunner runner(out, err);
    runner.runText(text, {"Z:\\fuzz\\run.bat", "first", "\"two words\""});
    return 0;
}
