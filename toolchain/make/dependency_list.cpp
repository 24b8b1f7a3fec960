#include "make/dependency_list.h"

namespace avrtazu {

std::string DependencyList::fileFor(const std::string& target) {
    const std::string extension = ".o";
    if (target.size() <= extension.size() ||
        target.compare(target.size() - extension.size(), extension.size(), extension) != 0) {
        return {};
    }
    // tazuavr writes objects and their lists into the current folder, whatever the folder of
    // the target's name.
    const std::size_t slash = target.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return name.size() > extension.size() ? "dep\\" + name + ".d" : std::string();
}

std::vector<std::string> DependencyList::parse(const std::string& text) {
    std::vector<std::string> files;
    std::string word;
    const auto take = [&] {
        if (!word.empty() && word != "\\" && word.back() != ':') {
            files.push_back(word);
        }
        word.clear();
    };
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            take();
        } else {
            word += c;
        }
    }
    take();
    return files;
}

} // namespace avrtazu
