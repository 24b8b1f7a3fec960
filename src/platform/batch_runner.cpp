#include "platform/batch_runner.h"

#include "platform/command_line.h"
#include "platform/drive_map.h"
#include "platform/file_system.h"
#include "platform/program_locator.h"
#include "platform/text_case.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

namespace avrtazu {

namespace {

// Calls nested deeper than this are taken for endless recursion.
constexpr int maximumCallDepth = 64;
// Two batch files that call each other twice stay under any depth limit and still never end.
constexpr int maximumCalls = 10000;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& text) {
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first])) {
        ++first;
    }
    std::size_t last = text.size();
    while (last > first && isBlank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

std::string unquote(std::string text) {
    text = trim(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

bool hasDriveLetter(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// The command word ends where the command processor ends it for its own commands.
std::string commandWord(const std::string& line) {
    const auto end = line.find_first_of(" \t=,;(");
    return line.substr(0, end);
}

// The text after the command word and the one delimiter that ends it.
std::string afterWord(const std::string& line, std::size_t wordLength) {
    if (wordLength >= line.size()) {
        return {};
    }
    return line.substr(wordLength + 1);
}

} // namespace

bool BatchRunner::Caseless::operator()(const std::string& a, const std::string& b) const {
    return TextCase::lower(a) < TextCase::lower(b);
}

BatchRunner::BatchRunner(std::ostream& out, std::ostream& err) : out_(out), err_(err) {
    inheritEnvironment();
}

std::optional<std::string> BatchRunner::variable(const std::string& name) const {
    const auto found = variables_.find(name);
    if (found == variables_.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::string BatchRunner::linuxSearchPath(const std::string& value) {
    std::string joined;
    std::istringstream entries(value);
    std::string entry;
    while (std::getline(entries, entry, ';')) {
        entry = unquote(entry);
        if (hasDriveLetter(entry) || entry.find('\\') != std::string::npos) {
            entry = DriveMap::toLinux(entry);
            while (entry.size() > 1 && entry.back() == '/') {
                entry.pop_back();
            }
        }
        if (entry.empty()) {
            continue;
        }
        if (!joined.empty()) {
            joined += ':';
        }
        joined += entry;
    }
    return joined;
}

std::optional<BatchRunner::DirectStart>
BatchRunner::directStart(const std::string& path, const std::vector<std::string>& arguments,
                         const std::string& folder) {
    std::ostringstream printed;
    BatchRunner runner(printed, printed);
    runner.planning_ = true;
    if (!folder.empty()) {
        runner.folder_ = folder;
    }
    runner.runFile(path, arguments);
    if (runner.planSpoilt_ || printed.tellp() != 0) {
        return std::nullopt;
    }
    return std::move(runner.planned_);
}

int BatchRunner::runFile(const std::string& path, const std::vector<std::string>& arguments) {
    const std::string linuxPath = linuxPathOf(path);
    const auto text = FileSystem::readFile(linuxPath);
    if (!text) {
        notRecognizedMessage(path);
        errorLevel_ = notRecognized;
        return errorLevel_;
    }
    std::vector<std::string> all{path};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return runText(*text, all);
}

int BatchRunner::runText(const std::string& text, const std::vector<std::string>& arguments) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const Flow flow = runLine(line, arguments);
        if (flow != Flow::Next || exitAll_) {
            break;
        }
    }
    return errorLevel_;
}

BatchRunner::Flow BatchRunner::runLine(const std::string& rawLine,
                                       const std::vector<std::string>& arguments) {
    std::string line = rawLine;
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    line = trim(expand(line, arguments));
    bool silent = false;
    while (!line.empty() && line.front() == '@') {
        silent = true;
        line = trim(line.substr(1));
    }
    // Blank lines, labels and "::" comments do nothing.
    if (line.empty() || line.front() == ':') {
        return Flow::Next;
    }
    if (planned_ && TextCase::lower(commandWord(line)) != "rem") {
        // Only comments may follow the program a direct start stands for.
        planSpoilt_ = true;
        return Flow::ExitProcess;
    }
    if (echo_ && !silent) {
        echoLine(line);
    }
    const Flow flow = runCommand(line);
    closeOutput();
    return flow;
}

BatchRunner::Flow BatchRunner::runCommand(std::string line) {
    if (TextCase::lower(commandWord(line)) == "rem") {
        return Flow::Next;
    }
    std::vector<Redirection> redirections;
    if (!takeRedirections(line, redirections)) {
        err_ << "The system cannot find the path specified.\n";
        errorLevel_ = 1;
        return Flow::Next;
    }
    // Only leading blanks go: ECHO keeps what stood before a redirection.
    line.erase(0, line.find_first_not_of(" \t"));
    const std::string word = commandWord(line);
    const std::string name = TextCase::lower(word);
    const std::string lowerLine = TextCase::lower(line);

    if (name == "echo" || lowerLine.rfind("echo.", 0) == 0 || lowerLine.rfind("echo:", 0) == 0) {
        std::ostream& out = outputFor(redirections);
        if (name != "echo") {
            // "ECHO." and "ECHO:" print what follows, even nothing.
            out << line.substr(5) << '\n';
            return Flow::Next;
        }
        const std::string rest = afterWord(line, word.size());
        const std::string setting = TextCase::lower(trim(rest));
        if (setting == "off" || setting == "on") {
            echo_ = setting == "on";
        } else if (setting.empty()) {
            out << (echo_ ? "ECHO is on." : "ECHO is off.") << '\n';
        } else {
            out << rest << '\n';
        }
        return Flow::Next;
    }
    if (name == "path") {
        const std::string rest = trim(afterWord(line, word.size()));
        if (rest.empty() && line.size() == word.size()) {
            outputFor(redirections) << "PATH=" << variable("PATH").value_or("") << '\n';
        } else {
            setVariable("PATH", rest == ";" ? std::string() : linuxSearchPath(rest));
        }
        return Flow::Next;
    }
    if (name == "set") {
        const std::string rest = trim(afterWord(line, word.size()));
        const auto equals = rest.find('=');
        if (equals == std::string::npos) {
            std::ostream& out = outputFor(redirections);
            bool any = false;
            for (const auto& [key, value] : variables_) {
                if (TextCase::lower(key).rfind(TextCase::lower(rest), 0) == 0) {
                    out << key << '=' << value << '\n';
                    any = true;
                }
            }
            if (!any) {
                err_ << "Environment variable " << rest << " not defined\n";
                errorLevel_ = 1;
            }
            return Flow::Next;
        }
        const std::string key = rest.substr(0, equals);
        const std::string value = rest.substr(equals + 1);
        setVariable(key, TextCase::lower(key) == "path" ? linuxSearchPath(value) : value);
        return Flow::Next;
    }
    if (name == "pushd" || name == "cd" || name == "chdir") {
        std::string target = trim(afterWord(line, word.size()));
        if (name != "pushd" && TextCase::lower(target).rfind("/d", 0) == 0) {
            target = trim(target.substr(2));
        }
        if (target.empty()) {
            if (name != "pushd") {
                outputFor(redirections) << DriveMap::toWindows(folder_) << '\n';
            }
            return Flow::Next;
        }
        const std::string previous = folder_;
        if (!changeFolder(target)) {
            err_ << "The system cannot find the path specified.\n";
            errorLevel_ = 1;
        } else if (name == "pushd") {
            folderStack_.push_back(previous);
        }
        return Flow::Next;
    }
    if (name == "popd") {
        if (!folderStack_.empty()) {
            folder_ = folderStack_.back();
            folderStack_.pop_back();
        }
        return Flow::Next;
    }
    // Console settings mean nothing here.
    static const char* const noEffect[] = {"mode",     "cls",      "title", "chcp",
                                           "setlocal", "endlocal", "color", "verify"};
    if (std::find(std::begin(noEffect), std::end(noEffect), name) != std::end(noEffect)) {
        return Flow::Next;
    }
    if (name == "exit") {
        std::istringstream rest(afterWord(line, word.size()));
        std::string part;
        bool batchOnly = false;
        while (rest >> part) {
            if (TextCase::lower(part) == "/b") {
                batchOnly = true;
            } else {
                try {
                    errorLevel_ = std::stoi(part);
                } catch (const std::exception&) {
                    errorLevel_ = 0;
                }
                break;
            }
        }
        if (!batchOnly) {
            exitAll_ = true;
        }
        return batchOnly ? Flow::EndBatch : Flow::ExitProcess;
    }
    if (name == "call") {
        const auto words = CommandLine::split(afterWord(line, word.size()));
        if (words.empty()) {
            return Flow::Next;
        }
        return runProgram(words, words[0], redirections, true);
    }
    // Control flow is beyond this runner; saying so beats "not recognized".
    static const char* const unsupported[] = {"if", "for", "goto", "shift", "start"};
    if (std::find(std::begin(unsupported), std::end(unsupported), name) != std::end(unsupported)) {
        err_ << word << " is not supported by this batch-file runner.\n";
        errorLevel_ = 1;
        return Flow::Next;
    }
    if (line.find('|') != std::string::npos) {
        err_ << "Pipes are not supported by this batch-file runner.\n";
        errorLevel_ = 1;
        return Flow::Next;
    }
    const auto words = CommandLine::split(line);
    if (words.empty()) {
        return Flow::Next;
    }
    return runProgram(words, words[0], redirections, false);
}

BatchRunner::Flow BatchRunner::runProgram(const std::vector<std::string>& words,
                                          const std::string& commandName,
                                          const std::vector<Redirection>& redirections,
                                          bool viaCall) {
    const auto folders = ProgramLocator::splitSearchPath(variable("PATH").value_or(""));
    const std::string program = ProgramLocator::find(commandName, folders, folder_);
    if (program.empty()) {
        notRecognizedMessage(commandName);
        errorLevel_ = notRecognized;
        return Flow::Next;
    }
    const std::vector<std::string> arguments(words.begin() + 1, words.end());
    if (planning_) {
        // A called batch file, or a program whose streams go elsewhere, needs the runner.
        if (ProgramLocator::isBatchFile(program) || !redirections.empty()) {
            planSpoilt_ = true;
            return Flow::ExitProcess;
        }
        planned_ = DirectStart{program, arguments, folder_, programEnvironment()};
        return Flow::Next;
    }
    if (ProgramLocator::isBatchFile(program)) {
        // Past a limit the whole run ends, with one message.
        if (callDepth_ >= maximumCallDepth || ++calls_ > maximumCalls) {
            err_ << (callDepth_ >= maximumCallDepth ? "Batch files call each other too deeply"
                                                    : "Batch files were called more than " +
                                                          std::to_string(maximumCalls) + " times")
                 << "; stopped at " << commandName << ".\n";
            errorLevel_ = 1;
            exitAll_ = true;
            return Flow::ExitProcess;
        }
        ++callDepth_;
        runFile(program, arguments);
        --callDepth_;
        // Without CALL the other batch file takes over and this one does not go on.
        return viaCall ? Flow::Next : Flow::EndBatch;
    }
    const int status = spawnAndWait(program, arguments, redirections);
    if (status < 0) {
        err_ << "The system cannot execute the specified program: " << commandName << '\n';
        errorLevel_ = notRecognized;
    } else {
        errorLevel_ = status;
    }
    return Flow::Next;
}

std::string BatchRunner::expand(const std::string& line,
                                const std::vector<std::string>& arguments) const {
    auto argument = [&](std::size_t index) {
        return index < arguments.size() ? arguments[index] : std::string();
    };
    std::string result;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '%' || i + 1 >= line.size()) {
            result.push_back(line[i]);
            continue;
        }
        const char next = line[i + 1];
        if (next == '%') {
            result.push_back('%');
            ++i;
        } else if (std::isdigit(static_cast<unsigned char>(next))) {
            result += argument(static_cast<std::size_t>(next - '0'));
            ++i;
        } else if (next == '*') {
            for (std::size_t a = 1; a < arguments.size(); ++a) {
                result += (a > 1 ? " " : "") + arguments[a];
            }
            ++i;
        } else if (next == '~' && i + 2 < line.size() &&
                   std::isdigit(static_cast<unsigned char>(line[i + 2]))) {
            // %~N: the argument without its quotes.
            result += unquote(argument(static_cast<std::size_t>(line[i + 2] - '0')));
            i += 2;
        } else if (line.compare(i + 1, 4, "~dp0") == 0) {
            // The batch file's own folder, with its backslash.
            const std::string self = unquote(argument(0));
            const auto cut = self.find_last_of("\\/");
            result += cut == std::string::npos ? DriveMap::toWindows(folder_) + "\\"
                                               : self.substr(0, cut + 1);
            i += 4;
        } else {
            const auto close = line.find('%', i + 1);
            if (close == std::string::npos) {
                result.push_back('%');
                continue;
            }
            const std::string name = line.substr(i + 1, close - i - 1);
            if (const auto value = variable(name)) {
                result += *value;
            } else if (TextCase::lower(name) == "errorlevel") {
                result += std::to_string(errorLevel_);
            } else if (TextCase::lower(name) == "cd") {
                result += DriveMap::toWindows(folder_);
            }
            // Undefined variables expand to nothing inside batch files.
            i = close;
        }
    }
    return result;
}

bool BatchRunner::takeRedirections(std::string& line, std::vector<Redirection>& redirections) {
    std::string kept;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') {
            quoted = !quoted;
        }
        if (quoted || (c != '>' && c != '<')) {
            kept.push_back(c);
            continue;
        }
        Redirection redirection;
        redirection.fd = c == '<' ? 0 : 1;
        // A handle number right before the sign belongs to it.
        if (!kept.empty() && (kept.back() == '1' || kept.back() == '2') &&
            (kept.size() == 1 || isBlank(kept[kept.size() - 2]))) {
            redirection.fd = kept.back() - '0';
            kept.pop_back();
        }
        if (c == '>' && i + 1 < line.size() && line[i + 1] == '>') {
            redirection.append = true;
            ++i;
        }
        std::size_t at = i + 1;
        if (at + 1 < line.size() && line[at] == '&' &&
            std::isdigit(static_cast<unsigned char>(line[at + 1]))) {
            redirection.duplicateOf = line[at + 1] - '0';
            i = at + 1;
            redirections.push_back(redirection);
            continue;
        }
        while (at < line.size() && isBlank(line[at])) {
            ++at;
        }
        std::string target;
        bool targetQuoted = false;
        for (; at < line.size(); ++at) {
            const char t = line[at];
            if (t == '"') {
                targetQuoted = !targetQuoted;
            } else if (!targetQuoted && (isBlank(t) || t == '>' || t == '<')) {
                break;
            } else {
                target.push_back(t);
            }
        }
        i = at - 1;
        if (target.empty()) {
            return false;
        }
        const std::string device = TextCase::lower(target);
        redirection.target =
            device == "nul" || device == "nul:" ? std::string("/dev/null") : linuxPathOf(target);
        if (redirection.target.empty()) {
            return false;
        }
        redirections.push_back(redirection);
    }
    line = kept;
    return true;
}

std::ostream& BatchRunner::outputFor(const std::vector<Redirection>& redirections) {
    for (const auto& redirection : redirections) {
        if (redirection.fd == 1 && !redirection.target.empty()) {
            if (planning_) {
                // Writing a file needs the runner; what goes to its output shows by itself.
                planSpoilt_ = true;
                return out_;
            }
            outputTarget_ = redirection.target;
            output_.open(outputTarget_, redirection.append ? std::ios::app : std::ios::trunc);
            return output_;
        }
    }
    return out_;
}

void BatchRunner::closeOutput() {
    if (outputTarget_.empty()) {
        return;
    }
    // A file that cannot be opened, or a write that does not reach the disk, fails the line.
    output_.close();
    if (output_.fail()) {
        err_ << "Cannot write the file " << DriveMap::toWindows(outputTarget_) << ".\n";
        errorLevel_ = 1;
    }
    output_.clear();
    outputTarget_.clear();
}

std::vector<std::string> BatchRunner::programEnvironment() const {
    std::vector<std::string> environment;
    for (const auto& [name, value] : variables_) {
        if (name != "TAZU_DRIVES") {
            environment.push_back(name + "=" + value);
        }
    }
    environment.push_back("TAZU_DRIVES=" + ProgramLocator::drivesVariable());
    return environment;
}

void BatchRunner::setVariable(const std::string& name, const std::string& value) {
    if (value.empty()) {
        variables_.erase(name);
    } else {
        variables_[name] = value;
    }
}

void BatchRunner::echoLine(const std::string& line) {
    out_ << DriveMap::toWindows(folder_) << '>' << line << '\n';
}

bool BatchRunner::changeFolder(const std::string& windowsFolder) {
    const std::string target = linuxPathOf(windowsFolder);
    if (target.empty() || !FileSystem::folderExists(target)) {
        return false;
    }
    std::string normal = std::filesystem::path(target).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    folder_ = normal;
    return true;
}

std::string BatchRunner::linuxPathOf(const std::string& windowsPath) const {
    const std::string path = DriveMap::toLinux(unquote(windowsPath));
    if (path.empty() || path.front() == '/') {
        return path;
    }
    return folder_ == "/" ? "/" + path : folder_ + "/" + path;
}

void BatchRunner::notRecognizedMessage(const std::string& name) {
    err_ << "'" << name
         << "' is not recognized as an internal or external command, operable program or batch "
            "file.\n";
}

} // namespace avrtazu
