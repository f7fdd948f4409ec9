#include "PythonStub.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// The stub's first line within a few seconds; empty when it does not come.
std::string ReadFirstLine(int fd) {
    std::string line;
    while (line.find('\n') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        char buffer[64];
        if (::poll(&p, 1, 10000) <= 0)
            return {};
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return {};
        line.append(buffer, static_cast<size_t>(n));
    }
    return line.substr(0, line.find('\n'));
}

} // namespace

std::string PythonStub::PathOf(const std::string& script) {
    return std::string(INBOX_SOURCE_DIR) + "/tests/support/servers/" + script;
}

PythonStub::PythonStub(const std::string& script, const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) < 0)
        throw std::runtime_error(script + ": pipe: " + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    std::vector<std::string> all{"python3", PathOf(script)};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = ::posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        pid_ = -1;
    ::close(fds[1]);
    line_ = rc == 0 ? ReadFirstLine(fds[0]) : std::string();
    ::close(fds[0]);
    if (line_.empty()) {
        Stop();
        throw std::runtime_error(script + ": the stub did not start");
    }
}

PythonStub::~PythonStub() {
    Stop();
}

void PythonStub::Stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}
