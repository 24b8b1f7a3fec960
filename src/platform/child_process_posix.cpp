#include "platform/child_process.h"

#include "platform/batch_runner.h"
#include "platform/command_line.h"
#include "platform/drive_map.h"
#include "platform/program_locator.h"
#include "platform/spawn_setup_posix.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace avrtazu {

namespace {

int statusToExitCode(int status) {
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) {
        return 128 + WTERMSIG(status);
    }
    return -1;
}

} // namespace

ChildProcess::~ChildProcess() {
    close();
}

bool ChildProcess::start(const std::string& commandLine,
                         const std::optional<std::string>& workingFolder) {
    if (pid_ > 0) {
        errno = EBUSY;
        return false;
    }
    std::vector<std::string> words = CommandLine::split(commandLine);
    if (words.empty()) {
        errno = EINVAL;
        return false;
    }
    const std::string program = ProgramLocator::find(words[0], ProgramLocator::searchFolders());
    if (program.empty()) {
        return false;
    }
    std::string programPath = program;
    if (programPath.front() != '/') {
        char buffer[PATH_MAX];
        if (::getcwd(buffer, sizeof buffer) == nullptr) {
            return false;
        }
        programPath = std::string(buffer) + "/" + programPath;
    }
    std::string folder;
    if (workingFolder && !workingFolder->empty()) {
        folder = DriveMap::toLinux(*workingFolder);
        if (folder.empty()) {
            errno = ENOENT;
            return false;
        }
    }

    std::vector<std::string> arguments{programPath};
    std::vector<std::string> environment;
    if (ProgramLocator::isBatchFile(programPath)) {
        const std::vector<std::string> batchArguments(words.begin() + 1, words.end());
        if (auto direct = BatchRunner::directStart(programPath, batchArguments, folder)) {
            // The runner would only start this program: it starts without a process between.
            arguments = {direct->program};
            arguments.insert(arguments.end(), direct->arguments.begin(), direct->arguments.end());
            programPath = std::move(direct->program);
            folder = std::move(direct->folder);
            environment = std::move(direct->environment);
        } else {
            const std::string runner = ProgramLocator::batchRunner();
            if (runner.empty()) {
                return false;
            }
            arguments = {runner, programPath};
            arguments.insert(arguments.end(), batchArguments.begin(), batchArguments.end());
            programPath = runner;
        }
    } else {
        arguments.insert(arguments.end(), words.begin() + 1, words.end());
    }
    if (environment.empty()) {
        environment = ProgramLocator::childEnvironment();
    }

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return false;
    }
    SpawnSetup setup;
    ::posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&setup.actions, pipeEnds[1], 1);
    ::posix_spawn_file_actions_adddup2(&setup.actions, pipeEnds[1], 2);
    if (!folder.empty()) {
        ::posix_spawn_file_actions_addchdir_np(&setup.actions, folder.c_str());
    }
    // Its own process group, so that terminate() reaches everything it starts; and the
    // signal settings of a fresh process whatever this one has changed.
    sigset_t allSignals;
    sigset_t noSignals;
    sigfillset(&allSignals);
    sigemptyset(&noSignals);
    ::posix_spawnattr_setpgroup(&setup.attributes, 0);
    ::posix_spawnattr_setsigdefault(&setup.attributes, &allSignals);
    ::posix_spawnattr_setsigmask(&setup.attributes, &noSignals);
    ::posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF |
                                                      POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv = SpawnSetup::pointers(arguments);
    std::vector<char*> envp = SpawnSetup::pointers(environment);
    pid_t pid = -1;
    const int failure = ::posix_spawn(&pid, programPath.c_str(), &setup.actions, &setup.attributes,
                                      argv.data(), envp.data());
    ::close(pipeEnds[1]);
    if (failure != 0) {
        ::close(pipeEnds[0]);
        errno = failure;
        return false;
    }
    pid_ = pid;
    readFd_ = pipeEnds[0];
    // Closed on exec by itself. Older kernels have none; waits then fall back to sleeping.
    pidFd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    collected_ = false;
    exitCode_.reset();
    return true;
}

std::optional<std::size_t> ChildProcess::bytesAvailable() const {
    if (readFd_ < 0) {
        errno = EBADF;
        return std::nullopt;
    }
    int waiting = 0;
    if (::ioctl(readFd_, FIONREAD, &waiting) != 0) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(waiting);
}

bool ChildProcess::waitForOutput(std::chrono::milliseconds timeout) const {
    if (readFd_ < 0) {
        errno = EBADF;
        return false;
    }
    const int milliseconds = static_cast<int>(timeout.count());
    pollfd watched[2] = {{readFd_, POLLIN, 0}, {pidFd_, POLLIN, 0}};
    const nfds_t count = pidFd_ >= 0 ? 2 : 1;
    const int ready = ::poll(watched, count, milliseconds);
    if (ready < 0) {
        // A signal ends the wait early, so that the caller can act on it.
        return errno == EINTR;
    }
    const bool writersGone = (watched[0].revents & POLLHUP) != 0;
    const bool outputWaiting = (watched[0].revents & POLLIN) != 0;
    const bool childEnded = count == 2 && watched[1].revents != 0;
    if (!writersGone || outputWaiting || childEnded) {
        return true;
    }
    // A pipe without writers stays ready for good: waiting on it again would spin while the
    // child goes on working. Only the child's end or the timeout ends this wait.
    if (pidFd_ >= 0) {
        pollfd child{pidFd_, POLLIN, 0};
        if (::poll(&child, 1, milliseconds) < 0 && errno != EINTR) {
            return false;
        }
        return true;
    }
    timespec pause{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
    ::nanosleep(&pause, nullptr);
    return true;
}

std::optional<std::size_t> ChildProcess::read(char* buffer, std::size_t max) {
    if (readFd_ < 0) {
        errno = EBADF;
        return std::nullopt;
    }
    for (;;) {
        const ssize_t got = ::read(readFd_, buffer, max);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
}

bool ChildProcess::collect(bool wait) {
    if (pid_ <= 0 || collected_) {
        return true;
    }
    for (;;) {
        int status = 0;
        const pid_t result = ::waitpid(pid_, &status, wait ? 0 : WNOHANG);
        if (result == pid_) {
            exitCode_ = statusToExitCode(status);
            collected_ = true;
            return true;
        }
        if (result == 0) {
            return false;
        }
        if (errno != EINTR) {
            // Collected elsewhere: nothing is left to wait for.
            collected_ = true;
            return true;
        }
    }
}

bool ChildProcess::hasEnded() {
    const int saved = errno;
    const bool ended = collect(false);
    errno = saved;
    return ended;
}

bool ChildProcess::terminate() {
    if (pid_ <= 0) {
        errno = ESRCH;
        return false;
    }
    // The group keeps the child's number as long as any member lives, even after the child
    // itself has ended.
    if (::kill(-pid_, SIGKILL) != 0) {
        const int saved = errno;
        collect(false);
        errno = saved;
        return false;
    }
    collect(true);
    return true;
}

bool ChildProcess::close() {
    if (pidFd_ >= 0) {
        ::close(pidFd_);
        pidFd_ = -1;
    }
    if (readFd_ < 0) {
        return true;
    }
    const int fd = readFd_;
    readFd_ = -1;
    if (::close(fd) != 0) {
        return errno == EINTR;
    }
    return true;
}

} // namespace avrtazu
