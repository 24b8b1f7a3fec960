#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace avrtazu {

// A text given in parts, as a path and a name are kept apart, hashed and compared as if the
// parts were joined, without building the joined text: a big project's names are never copied.
class JoinedText {
public:
    // The same hash for the same joined text, however it is split into parts.
    static std::uint64_t hash(std::initializer_list<std::string_view> parts);
    // Whether the parts of left, one after another, spell the parts of right.
    static bool equal(std::initializer_list<std::string_view> left,
                      std::initializer_list<std::string_view> right);
};

} // namespace avrtazu
