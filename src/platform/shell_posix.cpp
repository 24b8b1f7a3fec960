#include "platform/shell.h"

#include "platform/drive_map.h"
#include "platform/program_locator.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace avrtazu {

namespace {
std::string& openerProgram() {
    static std::string program = "xdg-open";
    return program;
}
} // namespace

void Shell::setOpener(const std::string& program) {
    openerProgram() = program;
}

std::string Shell::opener() {
    return openerProgram();
}

int Shell::open(const std::string& windowsPath) {
    const std::string document = DriveMap::toLinux(windowsPath);
    struct stat info {};
    if (document.empty() || ::stat(document.c_str(), &info) != 0) {
        return fileNotFound;
    }
    const std::string program =
        ProgramLocator::find(openerProgram(), ProgramLocator::searchFolders());
    if (program.empty()) {
        return noAssociation;
    }
    // A short-lived shell starts the opener in the background and ends, so that the opener is
    // nobody's child to wait for and leaves no zombie behind.
    const char* script = "\"$0\" \"$1\" </dev/null >/dev/null 2>&1 &";
    std::string shellName = "sh";
    std::string commandOption = "-c";
    std::string scriptText = script;
    std::string programText = program;
    std::string documentText = document;
    char* argv[] = {shellName.data(),   commandOption.data(), scriptText.data(),
                    programText.data(), documentText.data(),  nullptr};
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    // Its own session: the document stays open when this process ends.
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = -1;
    const int failure = ::posix_spawn(&pid, "/bin/sh", nullptr, &attributes, argv, environ);
    ::posix_spawnattr_destroy(&attributes);
    if (failure != 0) {
        errno = failure;
        return outOfResources;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return started;
}

} // namespace avrtazu
