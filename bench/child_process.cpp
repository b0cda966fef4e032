// SPDX-License-Identifier: GPL-3.0-or-later
#include "child_process.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "stats.h"

extern char **environ;

namespace vorna::bench {

namespace {
void closeFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}
} // namespace

std::string selfPath()
{
    std::array<char, 4096> path{};
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size() - 1);
    return n > 0 ? std::string(path.data(), std::size_t(n)) : std::string();
}

Child::~Child()
{
    closeInput();
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    closeFd(out_);
}

bool Child::start(const std::vector<std::string> &args)
{
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(fromChild, O_CLOEXEC) != 0) {
        ::close(toChild[0]);
        ::close(toChild[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);

    const std::string self = selfPath();
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(self.c_str()));
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const int rc = ::posix_spawn(&pid_, self.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
    if (rc != 0) {
        pid_ = -1;
        closeInput();
        closeFd(out_);
        return false;
    }
    return true;
}

std::string Child::readLine(int timeoutMs)
{
    const double deadline = nowMs() + timeoutMs;
    for (;;) {
        if (const auto nl = buffer_.find('\n'); nl != std::string::npos) {
            std::string line = buffer_.substr(0, nl);
            buffer_.erase(0, nl + 1);
            return line;
        }
        const int left = int(deadline - nowMs());
        if (out_ < 0 || left <= 0)
            return {};
        pollfd pfd{out_, POLLIN, 0};
        if (::poll(&pfd, 1, left) <= 0)
            continue;
        std::array<char, 4096> chunk{};
        const ssize_t n = ::read(out_, chunk.data(), chunk.size());
        if (n <= 0) {
            closeFd(out_);
            std::string rest;
            rest.swap(buffer_);
            return rest;
        }
        buffer_.append(chunk.data(), std::size_t(n));
    }
}

void Child::closeInput() { closeFd(in_); }

int Child::finish(std::string *rest, int timeoutMs)
{
    closeInput();
    const double deadline = nowMs() + timeoutMs;
    while (out_ >= 0) {
        const int left = int(deadline - nowMs());
        if (left <= 0)
            break;
        pollfd pfd{out_, POLLIN, 0};
        if (::poll(&pfd, 1, left) <= 0)
            continue;
        std::array<char, 4096> chunk{};
        const ssize_t n = ::read(out_, chunk.data(), chunk.size());
        if (n <= 0)
            closeFd(out_);
        else
            buffer_.append(chunk.data(), std::size_t(n));
    }
    if (rest)
        *rest = buffer_;
    buffer_.clear();
    if (pid_ <= 0)
        return -1;
    if (out_ >= 0)
        ::kill(pid_, SIGTERM);   // it hung: end it rather than wait for ever
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, 0);
    pid_ = -1;
    closeFd(out_);
    return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace vorna::bench
