#include "OAuth2Stub.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const std::string kStubScript =
    std::string(INBOX_SOURCE_DIR) + "/tests/support/servers/oauth2_stub.py";

// The stub's first line, "port N", within a few seconds; empty when it does not come.
std::string FirstLine(int fd) {
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

OAuth2Stub::OAuth2Stub() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) < 0)
        throw std::runtime_error(std::string("OAuth2Stub: pipe: ") + std::strerror(errno));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    std::vector<std::string> all{"python3", kStubScript, "serve"};
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int rc = ::posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        pid_ = -1;
    ::close(fds[1]);
    const std::string line = rc == 0 ? FirstLine(fds[0]) : std::string();
    ::close(fds[0]);
    if (line.rfind("port ", 0) != 0) {
        Stop();
        throw std::runtime_error("OAuth2Stub: the stub did not start");
    }
    url_ = "http://127.0.0.1:" + line.substr(5);
}

OAuth2Stub::~OAuth2Stub() {
    Stop();
}

void OAuth2Stub::Stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
}

std::string OAuth2Stub::TokenCommand(const std::string& user, const std::string& expiresIn) const {
    return "python3 '" + kStubScript + "' token " + url_ + " " + user +
           (expiresIn.empty() ? "" : " " + expiresIn);
}
