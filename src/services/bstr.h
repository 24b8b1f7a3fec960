#pragma once

#include <string>

namespace avrtazu {

// Text crossing the host interfaces. Inside the system text is 8-bit.
using Bstr = std::wstring;

// Decodes 8-bit text as UTF-8. A byte that is not part of a valid UTF-8 sequence becomes the
// lone surrogate U+DC00 + byte (U+DC80..U+DCFF), so no byte string is ever lost:
// toNarrow(toWide(s)) == s for every s.
Bstr toWide(const std::string& text);

// Encodes wide text as UTF-8, turning U+DC80..U+DCFF back into the bytes they stand for. Other
// lone surrogates keep their three-byte form; values beyond U+10FFFF become U+FFFD.
std::string toNarrow(const Bstr& text);

} // namespace avrtazu
