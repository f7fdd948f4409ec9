#include "ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Closes both ends unless released.
struct TPipePair {
    int Fd[2] = {-1, -1};
    ~TPipePair() {
        for (int fd : Fd)
            if (fd >= 0)
                ::close(fd);
    }
};

int Release(int& fd) {
    const int f = fd;
    fd = -1;
    return f;
}

} // namespace

int PollWait(bool awaitingExit, std::chrono::milliseconds left) {
    // Without a pidfd (an old kernel) poll cannot see the exit: look again soon.
    const auto wait = awaitingExit ? std::min(left, std::chrono::milliseconds(10)) : left;
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0)) + 1;
}

TChildProcess::TChildProcess(const std::vector<std::string>& argv, std::string input)
    : input_(std::move(input)) {
    // Standard input is a socket so that writing to a child that stopped reading gives EPIPE
    // (MSG_NOSIGNAL) instead of a SIGPIPE for the whole process.
    TPipePair in, out, err;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, in.Fd) < 0 ||
        ::pipe2(out.Fd, O_CLOEXEC) < 0 || ::pipe2(err.Fd, O_CLOEXEC) < 0) {
        startError_ = errno;
        return;
    }
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in.Fd[1], 0);
    posix_spawn_file_actions_adddup2(&actions, out.Fd[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err.Fd[1], 2);
    // Nothing else of ours: not a mail's temporary file, not a socket some library opened
    // without close-on-exec.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                        POSIX_SPAWN_SETSIGDEF);
    // glibc reports a failed exec (no such program) as the result of posix_spawnp.
    const int rc = ::posix_spawnp(&pid_, args[0], &actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        pid_ = -1;
        startError_ = rc;
        return;
    }
    // Readable once the child has exited (close-on-exec by itself), so poll waits for the
    // exit as for the output.
    // (glibc 2.36's <sys/pidfd.h> lacks extern "C", so the system call itself.)
    pidFd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
    inFd_ = Release(in.Fd[0]);
    outFd_ = Release(out.Fd[0]);
    errFd_ = Release(err.Fd[0]);
    for (int fd : {inFd_, outFd_, errFd_})
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    // Our end says when the input is done; an empty input is done at once.
    if (input_.empty())
        closeFd(inFd_);
}

TChildProcess::~TChildProcess() {
    if (!reaped_ && pid_ > 0)
        Kill();
    closeFd(inFd_);
    closeFd(outFd_);
    closeFd(errFd_);
    closeFd(pidFd_);
}

void TChildProcess::closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool TChildProcess::AddPollFds(std::vector<pollfd>& fds) const {
    const size_t before = fds.size();
    if (inFd_ >= 0)
        fds.push_back({inFd_, POLLOUT, 0});
    if (outFd_ >= 0)
        fds.push_back({outFd_, POLLIN, 0});
    if (errFd_ >= 0)
        fds.push_back({errFd_, POLLIN, 0});
    if (pidFd_ >= 0 && !reaped_)
        fds.push_back({pidFd_, POLLIN, 0});
    return fds.size() > before;
}

void TChildProcess::readInto(int& fd, std::string& to) {
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            to.append(buffer,
                      std::min(static_cast<size_t>(n), MaxOutput - std::min(MaxOutput, to.size())));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        closeFd(fd); // end of the stream, or an error that ends it as well
        return;
    }
}

void TChildProcess::Transfer(const std::vector<pollfd>& fds) {
    for (const pollfd& p : fds) {
        if (p.revents == 0)
            continue;
        if (p.fd == inFd_ && inFd_ >= 0) {
            while (written_ < input_.size()) {
                const ssize_t n =
                    ::send(inFd_, input_.data() + written_, input_.size() - written_, MSG_NOSIGNAL);
                if (n > 0) {
                    written_ += static_cast<size_t>(n);
                } else if (n < 0 && errno == EINTR) {
                    continue;
                } else {
                    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                        break;
                    // It stopped reading (EPIPE): what it read is what it gets.
                    written_ = input_.size();
                }
            }
            if (written_ == input_.size())
                closeFd(inFd_);
        } else if (p.fd == outFd_ && outFd_ >= 0) {
            readInto(outFd_, out_);
        } else if (p.fd == errFd_ && errFd_ >= 0) {
            readInto(errFd_, err_);
        } else if (p.fd == pidFd_ && pidFd_ >= 0) {
            reap(WNOHANG);
        }
    }
}

bool TChildProcess::reap(int flags) {
    if (pid_ <= 0 || reaped_)
        return true;
    pid_t done = 0;
    while ((done = ::waitpid(pid_, &status_, flags)) < 0 && errno == EINTR) {
    }
    // ECHILD: someone else reaped it (a SIGCHLD set to be ignored); it is gone all the same.
    reaped_ = done == pid_ || done < 0;
    if (reaped_)
        closeFd(inFd_);
    return reaped_;
}

bool TChildProcess::Finished() {
    return startError_ == 0 && outFd_ < 0 && errFd_ < 0 && reap(WNOHANG);
}

void TChildProcess::Kill() {
    if (pid_ <= 0 || reaped_)
        return;
    ::kill(-pid_, SIGKILL);
    reap(0);
    // What it started and left behind is gone with the group; nobody reads the rest.
    closeFd(outFd_);
    closeFd(errFd_);
}

TChildResult RunChild(const std::vector<std::string>& argv, std::string input,
                      std::chrono::milliseconds timeout) {
    TChildResult result;
    TChildProcess child(argv, std::move(input));
    result.StartError = child.StartError();
    if (result.StartError != 0)
        return result;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::vector<pollfd> fds;
    while (!child.Finished()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.TimedOut = true;
            child.Kill();
            break;
        }
        fds.clear();
        const bool awaitingExit = !child.AddPollFds(fds);
        if (::poll(fds.data(), fds.size(), PollWait(awaitingExit, left)) < 0 && errno != EINTR) {
            child.Kill();
            break;
        }
        child.Transfer(fds);
    }
    result.Status = child.Status();
    result.Output = child.Output();
    result.Errors = child.Errors();
    return result;
}
