#include "tests/common/RunProgram.h"

#include <array>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Reads both pipes until the program closes them.
void drain(int outFd, int errFd, ProgramRun& result)
{
    std::array<pollfd, 2> fds = {pollfd{outFd, POLLIN, 0}, pollfd{errFd, POLLIN, 0}};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0)
            break;
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                fds[i].fd = -1;
                --open;
                continue;
            }
            (i == 0 ? result.output : result.errors).append(buffer, static_cast<std::size_t>(n));
        }
    }
}

} // namespace

ProgramRun RunProgram(const std::vector<std::string>& arguments)
{
    int outPipe[2];
    int errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    ProgramRun result;
    if (spawned == 0) {
        drain(outPipe[0], errPipe[0], result);
        int status = 0;
        ::waitpid(child, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + arguments.front());
    return result;
}
