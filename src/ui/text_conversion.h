#pragma once

#include <QString>

#include <string>

namespace avrtazu {

// The system's 8-bit text in a widget and back, without losing a byte: bytes that are not
// UTF-8 travel as the escape characters the host interfaces use (services/bstr.h).
QString qtText(const std::string& text);
std::string narrowText(const QString& text);

} // namespace avrtazu
