#include "services/dependency_scan.h"

#include "services/output_directory.h"
#include "services/plug_in_utility.h"

#include "model/project.h"
#include "platform/file_system.h"
#include "platform/toolchain_contract.h"
#include "platform/win_path.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace avrtazu {

namespace contract = toolchain_contract;

namespace {

void takeWord(const std::string& word, const std::string& outputDirectory,
              std::vector<SourceFile>& result) {
    // Most words are an object or a source: the name is looked at before anything is made of it.
    const std::string extension = SourceFile::extension(word);
    if (extension != contract::kHeaderExtension && extension != contract::kHeaderExtensionUpper) {
        return;
    }
    SourceFile header(word);
    if (header.isRelative()) {
        // The compiler ran in the output directory, so that is where relative names start.
        header.setFullName(outputDirectory + header.fullName());
    }
    // A header found through the blank-free alias of its folder is shown where it really is.
    const std::optional<std::string> real = WinPath::longPathName(header.fullName());
    if (real && *real != header.fullName()) {
        header.setFullName(*real);
    }
    if (std::find(result.begin(), result.end(), header) == result.end()) {
        result.push_back(header);
    }
}

// The dependency files read so far, by path, with the status they had then. The tree reads
// them on opening and again after every build; only those a compile replaced are read anew.
struct ReadList {
    FileStatus status;
    std::string text;
};

const std::string* dependencyText(const std::string& path) {
    static std::unordered_map<std::string, ReadList> lists;
    const std::optional<FileStatus> status = FileSystem::status(path);
    if (!status) {
        lists.erase(path);
        return nullptr;
    }
    const auto same = [&status](const FileStatus& seen) {
        return seen.size == status->size && seen.identity == status->identity &&
               seen.modifiedNanoseconds == status->modifiedNanoseconds;
    };
    if (const auto known = lists.find(path); known != lists.end() && same(known->second.status)) {
        return &known->second.text;
    }
    std::optional<std::string> text = FileSystem::readTextFile(path);
    if (!text) {
        lists.erase(path);
        return nullptr;
    }
    ReadList& list = lists[path];
    list = {*status, std::move(*text)};
    return &list.text;
}

} // namespace

void DependencyScan::collectHeaders(const std::string& text, const std::string& outputDirectory,
                                    std::vector<SourceFile>& result) {
    std::string word;
    for (const char c : text) {
        if (c == ' ' || c == '\n') {
            if (!word.empty()) {
                takeWord(word, outputDirectory, result);
                word.clear();
            }
        } else {
            word += c;
        }
    }
    // A last word that nothing ends is not taken: the compiler always ends its lines.
}

std::vector<SourceFile> DependencyScan::externalHeaderFiles(const Project& project) {
    const std::string output = outputDirectory(project);
    const std::string dependencyFolder = output + std::string(contract::kDependencyFolder) + "\\";
    if (!FileSystem::folderExists(dependencyFolder)) {
        PlugInUtility::instance().logDebug("PlugInUtility::getExternalHeaderFiles",
                                           "Dependency directory does not exist");
        return {};
    }

    std::vector<SourceFile> result;
    for (const SourceFile& source : project.srcFiles()) {
        const std::string dependencyFile =
            dependencyFolder + source.stem() + std::string(contract::kDependencySuffix);
        if (const std::string* text = dependencyText(dependencyFile)) {
            collectHeaders(*text, output, result);
        }
    }

    const auto isProjectHeader = [&project](const SourceFile& header) {
        return std::any_of(
            project.hdrFiles().begin(), project.hdrFiles().end(),
            [&header](const SourceFile& own) { return own.name() == header.name(); });
    };
    result.erase(std::remove_if(result.begin(), result.end(), isProjectHeader), result.end());
    return result;
}

} // namespace avrtazu
