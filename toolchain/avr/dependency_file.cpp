#include "avr/dependency_file.h"

#include "platform/short_name_alias.h"

#include <filesystem>
#include <vector>

namespace avrtazu {

namespace {

// Make's words: blanks and line ends separate them, "\ " is a blank inside a name, and a
// backslash before the line end continues the line.
std::vector<std::string> makeWords(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size() && text[i + 1] == ' ') {
            word += ' ';
            ++i;
        } else if (c == '\\' && i + 1 < text.size() &&
                   (text[i + 1] == '\n' || text[i + 1] == '\r')) {
            continue;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(word);
    }
    return words;
}

std::string windowsName(const std::string& word, const std::filesystem::path& folder,
                        const DependencyFile::PathMapper& toWindows) {
    std::filesystem::path path(word);
    if (path.is_relative()) {
        path = folder / path;
    }
    path = ShortNameAlias::normalPath(path.string());
    const std::filesystem::path relative = path.lexically_relative(folder);
    if (!relative.empty() && relative.native().rfind("..", 0) != 0) {
        std::string name = relative.string();
        for (char& c : name) {
            if (c == '/') {
                c = '\\';
            }
        }
        return name;
    }
    return toWindows(path.string());
}

} // namespace

std::string DependencyFile::convert(const std::string& gccText, const std::string& outputFolder,
                                    const PathMapper& toWindows) {
    std::filesystem::path folder = std::filesystem::path(outputFolder).lexically_normal();
    if (!folder.has_filename() && folder.has_parent_path()) {
        folder = folder.parent_path();
    }
    std::string text;
    bool first = true;
    for (const std::string& word : makeWords(gccText)) {
        if (!word.empty() && word.back() == ':') {
            // A target: names the object, which lies in the output folder.
            text += (text.empty() ? "" : "\n") + word;
            first = true;
            continue;
        }
        text += first ? " " : " \\\n ";
        text += windowsName(word, folder, toWindows);
        first = false;
    }
    if (!text.empty()) {
        text += '\n';
    }
    return text;
}

} // namespace avrtazu
