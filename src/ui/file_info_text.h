#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace avrtazu {

// How the property dialogs show a file's size and its last-modification time.
class FileInfoText {
public:
    // "1023 bytes" below 1024 bytes, otherwise kilobytes with two decimals: "1.50 kb.".
    static std::string sizeText(std::uint64_t size);
    // Local time as "Monday 05. Feb 2024. 14:03:09"; empty when the time cannot be converted.
    static std::string dateText(std::time_t time);
};

} // namespace avrtazu
