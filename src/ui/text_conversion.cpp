#include "ui/text_conversion.h"

#include "services/bstr.h"

#include <algorithm>

namespace avrtazu {

QString qtText(const std::string& text) {
    // Most names are plain ASCII, which needs no decoding.
    if (std::all_of(text.begin(), text.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    }
    const Bstr wide = toWide(text);
    QString result;
    result.reserve(static_cast<qsizetype>(wide.size()));
    for (const wchar_t unit : wide) {
        const auto codePoint = static_cast<char32_t>(unit);
        if (codePoint >= 0x10000) {
            result.append(QChar(QChar::highSurrogate(codePoint)));
            result.append(QChar(QChar::lowSurrogate(codePoint)));
        } else {
            // Lone surrogates stay as they are: they carry the bytes that were not UTF-8.
            result.append(QChar(static_cast<char16_t>(codePoint)));
        }
    }
    return result;
}

std::string narrowText(const QString& text) {
    Bstr wide;
    wide.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            wide += static_cast<wchar_t>(QChar::surrogateToUcs4(unit, text.at(i + 1)));
            ++i;
        } else {
            wide += static_cast<wchar_t>(unit.unicode());
        }
    }
    return toNarrow(wide);
}

} // namespace avrtazu
