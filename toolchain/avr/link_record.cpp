#include "avr/link_record.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace avrtazu {

namespace fs = std::filesystem;

namespace {

constexpr const char* kHeader = "tazuavr link 1";
constexpr const char* kOutputsLine = "outputs:";

} // namespace

LinkRecord::LinkRecord(const std::string& base, std::vector<std::string> switches,
                       std::vector<std::string> inputs)
    : switches_(std::move(switches)), inputs_(std::move(inputs)) {
    const fs::path basePath(base);
    path_ = (basePath.parent_path() / "dep" / (basePath.filename().string() + ".link")).string();
}

std::string LinkRecord::text(const std::vector<std::string>& outputs) const {
    std::string text = std::string(kHeader) + '\n';
    for (const std::string& word : switches_) {
        text += word + '\n';
    }
    text += std::string(kOutputsLine) + '\n';
    for (const std::string& output : outputs) {
        text += output + '\n';
    }
    return text;
}

bool LinkRecord::upToDate() const {
    std::ifstream file(path_, std::ios::binary);
    if (!file) {
        return false;
    }
    const std::string recorded{std::istreambuf_iterator<char>(file), {}};
    const std::string switches = text({});
    if (recorded.compare(0, switches.size(), switches) != 0) {
        return false;
    }
    std::vector<std::string> outputs;
    std::size_t at = switches.size();
    while (at < recorded.size()) {
        const std::size_t end = recorded.find('\n', at);
        if (end == std::string::npos) {
            return false;
        }
        outputs.push_back(recorded.substr(at, end - at));
        at = end + 1;
    }
    if (outputs.empty()) {
        return false;
    }
    std::error_code error;
    auto oldestOutput = fs::file_time_type::max();
    for (const std::string& output : outputs) {
        const auto written = fs::last_write_time(output, error);
        if (error) {
            return false;
        }
        oldestOutput = std::min(oldestOutput, written);
    }
    // Equal times count as changed: the clock's step may hide an edit made right after.
    for (const std::string& input : inputs_) {
        const auto changed = fs::last_write_time(input, error);
        if (error || changed >= oldestOutput) {
            return false;
        }
    }
    return true;
}

void LinkRecord::forget() const {
    std::error_code ignored;
    fs::remove(path_, ignored);
}

bool LinkRecord::save(const std::vector<std::string>& outputs) const {
    std::error_code error;
    fs::create_directories(fs::path(path_).parent_path(), error);
    std::ofstream file(path_, std::ios::binary | std::ios::trunc);
    file << text(outputs);
    return static_cast<bool>(file);
}

} // namespace avrtazu
