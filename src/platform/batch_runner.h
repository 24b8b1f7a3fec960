#pragma once

#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace avrtazu {

// Runs Windows batch files the way the command processor runs the ones this system writes:
// "@" and ECHO OFF/ON, ECHO text, REM and "::" comments, labels, PATH and SET with %NAME%
// expansion (%0-%9 and %* too), PUSHD/POPD/CD, MODE, CLS, TITLE, CHCP, SETLOCAL and ENDLOCAL
// (no effect here), CALL, EXIT [/B] [code], "> file", ">> file", "2>&1" and "< file"
// redirections, and programs found through PATH (a bare name also with ".exe"). Batch files
// call each other at most 64 deep and 10000 times in one run; past either the whole run ends
// with a message and status 1. An internal command whose redirected output cannot be written
// leaves status 1.
//
// PATH holds this OS's form (":"-separated Linux folders): a PATH line's ";"-separated Windows
// folders are mapped through DriveMap, while %PATH% brings the inherited value in unchanged.
// The runner's own messages go to the streams given; the programs it runs write to this
// process's standard output and error. Programs run in the current folder the batch file
// set, which is not this process's own.
class BatchRunner {
public:
    // The status of a command that is not an internal command and names no program.
    static constexpr int notRecognized = 9009;

    BatchRunner(std::ostream& out, std::ostream& err);

    // How to start the one program a batch file comes down to (Linux paths).
    struct DirectStart {
        std::string program;
        std::vector<std::string> arguments;
        std::string folder;
        std::vector<std::string> environment;
    };
    // A batch file that only prepares (ECHO OFF, comments, PATH and SET, PUSHD and CD, console
    // settings) and then starts one program on its last command line leaves nothing for the
    // runner to do once the program runs: this is that start, found without running anything,
    // so that the caller can spare a process. Nothing for any other file: one that prints,
    // writes a file, calls a batch file, starts two programs or names a missing one. The file
    // and the folder it starts in are Linux paths; an empty folder is this process's own.
    static std::optional<DirectStart> directStart(const std::string& path,
                                                  const std::vector<std::string>& arguments,
                                                  const std::string& folder);

    // Runs a batch file (Windows or Linux path) with its arguments; the result is the status
    // of the last program run (or of the failure that came last), as the command processor
    // leaves it.
    int runFile(const std::string& path, const std::vector<std::string>& arguments = {});
    // Runs the lines of a batch file given as text; argument 0 is the batch file's name.
    int runText(const std::string& text, const std::vector<std::string>& arguments = {});

    // The folder programs run in (a Linux path); starts as this process's current folder.
    const std::string& currentFolder() const { return folder_; }
    // The value of a variable, by name without regard to case.
    std::optional<std::string> variable(const std::string& name) const;

    // A PATH value as this OS wants it: ";"-separated entries, Windows folders mapped through
    // DriveMap, entries already in Linux form (such as an expanded %PATH%) kept; ":"-joined.
    static std::string linuxSearchPath(const std::string& value);

private:
    struct Redirection {
        int fd = 1;
        std::string target; // Linux path, or empty when duplicating
        bool append = false;
        int duplicateOf = -1; // "2>&1"
    };
    struct Caseless {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    enum class Flow { Next, EndBatch, ExitProcess };

    Flow runLine(const std::string& rawLine, const std::vector<std::string>& arguments);
    Flow runCommand(std::string line);
    std::string expand(const std::string& line, const std::vector<std::string>& arguments) const;
    bool takeRedirections(std::string& line, std::vector<Redirection>& redirections);
    // The stream an internal command writes to: this runner's output or the redirection's file.
    std::ostream& outputFor(const std::vector<Redirection>& redirections);
    void closeOutput();
    void setVariable(const std::string& name, const std::string& value);
    void echoLine(const std::string& line);
    bool changeFolder(const std::string& windowsFolder);
    std::string linuxPathOf(const std::string& windowsPath) const;
    Flow runProgram(const std::vector<std::string>& words, const std::string& commandWord,
                    const std::vector<Redirection>& redirections, bool viaCall);
    // The variables as a program's environment, with the drives mapped here.
    std::vector<std::string> programEnvironment() const;
    // Starts a program with the runner's folder, variables and redirections and waits for it.
    int spawnAndWait(const std::string& program, const std::vector<std::string>& arguments,
                     const std::vector<Redirection>& redirections);
    void notRecognizedMessage(const std::string& name);
    // Fills the variables and the folder from this process.
    void inheritEnvironment();

    std::ostream& out_;
    std::ostream& err_;
    std::map<std::string, std::string, Caseless> variables_;
    std::string folder_;
    std::vector<std::string> folderStack_;
    bool echo_ = true;
    int errorLevel_ = 0;
    int callDepth_ = 0;
    int calls_ = 0;
    std::ofstream output_;
    std::string outputTarget_;
    bool exitAll_ = false;
    // Set while directStart looks for the one program; spoilt once the file needs the runner.
    bool planning_ = false;
    bool planSpoilt_ = false;
    std::optional<DirectStart> planned_;
};

} // namespace avrtazu
