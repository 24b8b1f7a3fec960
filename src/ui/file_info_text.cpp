#include "ui/file_info_text.h"

#include <cstdio>

namespace avrtazu {

std::string FileInfoText::sizeText(std::uint64_t size) {
    char buffer[64];
    if (size < 1024) {
        std::snprintf(buffer, sizeof buffer, "%d bytes", static_cast<int>(size));
    } else {
        std::snprintf(buffer, sizeof buffer, "%.2f kb.", static_cast<double>(size) / 1024.0);
    }
    return buffer;
}

std::string FileInfoText::dateText(std::time_t time) {
    // One thread only: the shared buffer of localtime is safe here.
    const std::tm* local = std::localtime(&time);
    if (local == nullptr) {
        return std::string();
    }
    char buffer[128];
    const std::size_t length =
        std::strftime(buffer, sizeof buffer, "%A %d. %b %Y. %H:%M:%S", local);
    return std::string(buffer, length);
}

} // namespace avrtazu
