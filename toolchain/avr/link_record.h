#pragma once

#include <string>
#include <vector>

namespace avrtazu {

// What one link was made from, kept in dep\<name>.link beside its outputs: the link's switches
// and the files it wrote. The generated Makefile's link target is the project's name, which
// no file bears, so make runs the link on every build; the record lets the link itself see
// that nothing changed and leave its outputs untouched.
class LinkRecord {
public:
    // base: the outputs' base name (a Linux path); switches: everything that decides the link's
    // result, one word each; inputs: every file the link reads (Linux paths).
    LinkRecord(const std::string& base, std::vector<std::string> switches,
               std::vector<std::string> inputs);

    // True when the last link had the same switches, and each output it wrote still exists
    // and is newer than every input.
    bool upToDate() const;
    // Drops the record before a link, so that a link that fails half-way is never trusted.
    void forget() const;
    // Keeps the record after a link that wrote these outputs (Linux paths).
    bool save(const std::vector<std::string>& outputs) const;

    const std::string& path() const { return path_; }

private:
    std::string text(const std::vector<std::string>& outputs) const;

    std::string path_;
    std::vector<std::string> switches_;
    std::vector<std::string> inputs_;
};

} // namespace avrtazu
