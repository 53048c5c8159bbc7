#include "support/ChildProcess.h"

#include <chrono>
#include <csignal>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kestrel::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(90);  // only reached when something is broken

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& args,
                           const std::vector<std::string>& extraEnvironment) {
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addclose(&actions, outPipe[0]);
    posix_spawn_file_actions_addclose(&actions, errPipe[0]);
    std::vector<std::string> environment(extraEnvironment);
    for (char** variable = environ; *variable; ++variable)
        environment.emplace_back(*variable);
    std::vector<char*> argv, envp;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    out_ = outPipe[0];
    err_ = errPipe[0];
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (out_ >= 0) close(out_);
    if (err_ >= 0) close(err_);
}

bool ChildProcess::waitFor(const std::string& text) {
    const auto until = Clock::now() + kPatience;
    while (out.find(text) == std::string::npos && err.find(text) == std::string::npos) {
        if (Clock::now() > until || !readSome(until)) return false;
    }
    return true;
}

void ChildProcess::signal(int number) const { kill(pid_, number); }

int ChildProcess::finish() {
    const auto until = Clock::now() + kPatience;
    while (readSome(until)) {
    }
    int status = 0;
    while (Clock::now() < until) {
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            return status;
        }
        poll(nullptr, 0, 20);
    }
    return -1;
}

std::optional<int> ChildProcess::exitStatus() {
    if (pid_ <= 0) return std::nullopt;
    readSome(Clock::now() + std::chrono::milliseconds(1));
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return std::nullopt;
    pid_ = -1;
    const auto until = Clock::now() + kPatience;
    while (readSome(until)) {
    }
    return status;
}

// One read from whichever stream has something; NO at the end of both.
bool ChildProcess::readSome(Clock::time_point until) {
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (fds[0].fd < 0 && fds[1].fd < 0) return false;
    if (left.count() <= 0 || poll(fds, 2, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
        const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        int& fd = i == 0 ? out_ : err_;
        if (n <= 0) {
            close(fd);
            fd = -1;
        } else {
            (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(n));
        }
    }
    return out_ >= 0 || err_ >= 0;
}

}  // namespace kestrel::test
