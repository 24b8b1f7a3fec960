#include "platform/batch_runner.h"

#include "platform/spawn_setup_posix.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <iostream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace avrtazu {

void BatchRunner::inheritEnvironment() {
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string::npos && equals > 0) {
            variables_.emplace(text.substr(0, equals), text.substr(equals + 1));
        }
    }
    char buffer[PATH_MAX];
    folder_ = ::getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string("/");
}

int BatchRunner::spawnAndWait(const std::string& program, const std::vector<std::string>& arguments,
                              const std::vector<Redirection>& redirections) {
    SpawnSetup setup;
    ::posix_spawn_file_actions_addchdir_np(&setup.actions, folder_.c_str());
    for (const auto& redirection : redirections) {
        if (redirection.duplicateOf >= 0) {
            ::posix_spawn_file_actions_adddup2(&setup.actions, redirection.duplicateOf,
                                               redirection.fd);
        } else {
            const int flags = redirection.fd == 0
                                  ? O_RDONLY
                                  : O_WRONLY | O_CREAT | (redirection.append ? O_APPEND : O_TRUNC);
            ::posix_spawn_file_actions_addopen(&setup.actions, redirection.fd,
                                               redirection.target.c_str(), flags, 0666);
        }
    }
    sigset_t allSignals;
    sigset_t noSignals;
    sigfillset(&allSignals);
    sigemptyset(&noSignals);
    ::posix_spawnattr_setsigdefault(&setup.attributes, &allSignals);
    ::posix_spawnattr_setsigmask(&setup.attributes, &noSignals);
    ::posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<std::string> argumentTexts{program};
    argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> environment = programEnvironment();
    std::vector<char*> argv = SpawnSetup::pointers(argumentTexts);
    std::vector<char*> envp = SpawnSetup::pointers(environment);

    // What the runner wrote so far comes before what the program writes.
    out_.flush();
    err_.flush();
    std::cout.flush();
    std::cerr.flush();
    pid_t pid = -1;
    const int failure = ::posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes,
                                      argv.data(), envp.data());
    if (failure != 0) {
        errno = failure;
        return -1;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : -1;
}

} // namespace avrtazu
