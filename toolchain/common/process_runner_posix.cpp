#include "common/process_runner.h"

#include "platform/spawn_setup_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace avrtazu {

namespace {

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

using Piece = std::function<void(std::string_view)>;

// With piece: standard error (and standard output, without an outputFile) handed to it.
ProcessResult spawn(const std::string& program, const std::vector<std::string>& arguments,
                    const Piece* piece, const std::string& outputFile = {}) {
    ProcessResult result;
    const bool capture = piece != nullptr;
    // Whatever this process printed must come out before the child's first line.
    std::fflush(stdout);
    std::fflush(stderr);

    int pipeEnds[2] = {-1, -1};
    // Close-on-exec, so that a child another thread starts meanwhile does not hold this pipe
    // open and keep the read below from ending with this child.
    if (capture && ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        result.failure = std::strerror(errno);
        return result;
    }
    SpawnSetup setup;
    if (capture) {
        ::posix_spawn_file_actions_addclose(&setup.actions, pipeEnds[0]);
        if (outputFile.empty()) {
            ::posix_spawn_file_actions_adddup2(&setup.actions, pipeEnds[1], STDOUT_FILENO);
        }
        ::posix_spawn_file_actions_adddup2(&setup.actions, pipeEnds[1], STDERR_FILENO);
        ::posix_spawn_file_actions_addclose(&setup.actions, pipeEnds[1]);
    }
    if (!outputFile.empty()) {
        ::posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, outputFile.c_str(),
                                           O_WRONLY | O_CREAT | O_TRUNC, 0666);
    }
    std::vector<std::string> words{program};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv = SpawnSetup::pointers(words);
    pid_t child = 0;
    const int error =
        ::posix_spawn(&child, program.c_str(), &setup.actions, nullptr, argv.data(), environ);
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
        char buffer[65536];
        for (;;) {
            const ssize_t count = ::read(pipeEnds[0], buffer, sizeof buffer);
            if (count > 0) {
                (*piece)(std::string_view(buffer, static_cast<std::size_t>(count)));
            } else if (count == 0 || errno != EINTR) {
                break;
            }
        }
        ::close(pipeEnds[0]);
    }
    result.exitCode = waitFor(child);
    return result;
}

// The child's output (with an outputFile: its standard error) collected into the result.
ProcessResult collected(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& outputFile = {}) {
    std::string output;
    const Piece collect = [&output](std::string_view text) { output.append(text); };
    ProcessResult result = spawn(program, arguments, &collect, outputFile);
    result.output = std::move(output);
    return result;
}

} // namespace

ProcessResult ProcessRunner::runPassThrough(const std::string& program,
                                            const std::vector<std::string>& arguments) {
    return spawn(program, arguments, nullptr);
}

ProcessResult ProcessRunner::runCaptured(const std::string& program,
                                         const std::vector<std::string>& arguments) {
    return collected(program, arguments);
}

ProcessResult ProcessRunner::runStreamed(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const Piece& piece) {
    return spawn(program, arguments, &piece);
}

ProcessResult ProcessRunner::runIntoFile(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const std::string& outputFile) {
    return collected(program, arguments, outputFile);
}

} // namespace avrtazu
