#include "platform/joined_text.h"

#include <algorithm>
#include <cstddef>

namespace avrtazu {

std::uint64_t JoinedText::hash(std::initializer_list<std::string_view> parts) {
    // FNV-1a, byte by byte, so that where the parts meet makes no difference.
    std::uint64_t value = 14695981039346656037ull;
    for (const std::string_view part : parts) {
        for (const char c : part) {
            value = (value ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
    }
    return value;
}

bool JoinedText::equal(std::initializer_list<std::string_view> left,
                       std::initializer_list<std::string_view> right) {
    std::size_t leftSize = 0;
    std::size_t rightSize = 0;
    for (const std::string_view part : left) {
        leftSize += part.size();
    }
    for (const std::string_view part : right) {
        rightSize += part.size();
    }
    if (leftSize != rightSize) {
        return false;
    }
    auto l = left.begin();
    auto r = right.begin();
    std::size_t lp = 0;
    std::size_t rp = 0;
    while (l != left.end() && r != right.end()) {
        if (lp == l->size()) {
            ++l;
            lp = 0;
        } else if (rp == r->size()) {
            ++r;
            rp = 0;
        } else {
            const std::size_t count = std::min(l->size() - lp, r->size() - rp);
            if (l->substr(lp, count) != r->substr(rp, count)) {
                return false;
            }
            lp += count;
            rp += count;
        }
    }
    return true;
}

} // namespace avrtazu
