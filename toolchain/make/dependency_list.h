#pragma once

#include <string>
#include <vector>

namespace avrtazu {

// The dependency file tazuavr writes beside an object ("dep\main.o.d"): make words separated by
// blanks and line feeds, "main.o: C:\x\main.c \" and " C:\x\uart.h" on the next line.
class DependencyList {
public:
    // The dependency file of an object target ("main.o" -> "dep\main.o.d"), relative to the
    // folder the make tool runs in; empty for a target that is not an object.
    static std::string fileFor(const std::string& target);
    // The files the text names, without its targets (words ending in ":") and continuations.
    static std::vector<std::string> parse(const std::string& text);
};

} // namespace avrtazu
