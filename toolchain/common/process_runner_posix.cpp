#include "common/process_runner.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace avrtazu {

namespace {

std::vector<char*> argumentVector(const std::string& program, std::vector<std::string>& storage,
                                  const std::vector<std::string>& arguments) {
    storage.clear();
    storage.push_back(program);
    storage.insert(storage.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : storage) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    return argv;
}

int waitFor(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

ProcessResult spawn(const std::string& program, const std::vector<std::string>& arguments,
                    bool capture) {
    ProcessResult result;
    // Whatever this process printed must come out before the child's first line.
    std::fflush(stdout);
    std::fflush(stderr);

    int pipeEnds[2] = {-1, -1};
    if (capture && ::pipe(pipeEnds) != 0) {
        result.failure = std::strerror(errno);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (capture) {
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    }
    std::vector<std::string> storage;
    std::vector<char*> argv = argumentVector(program, storage, arguments);
    pid_t child = 0;
    const int error =
        ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (capture) {
        ::close(pipeEnds[1]);
    }
    if (error != 0) {
        if (capture) {
            ::close(pipeEnds[0]);
        }
        result.failure = std::strerror(error);
        return result;
    }
    result.started = true;
    if (capture) {
        char buffer[8192];
        for (;;) {
            const ssize_t count = ::read(pipeEnds[0], buffer, sizeof buffer);
            if (count > 0) {
                result.output.append(buffer, static_cast<std::size_t>(count));
            } else if (count == 0 || errno != EINTR) {
                break;
            }
        }
        ::close(pipeEnds[0]);
    }
    result.exitCode = waitFor(child);
    return result;
}

} // namespace

ProcessResult ProcessRunner::runPassThrough(const std::string& program,
                                            const std::vector<std::string>& arguments) {
    return spawn(program, arguments, false);
}

ProcessResult ProcessRunner::runCaptured(const std::string& program,
                                         const std::vector<std::string>& arguments) {
    return spawn(program, arguments, true);
}

} // namespace avrtazu
