#pragma once

// One child process started with posix_spawn (argv only, no shell): its standard input fed
// from a string, its output and error output collected, driven by the caller's poll loop.
// The child leads a process group of its own, so a kill reaches whatever it started too, and
// gets no descriptor of ours but its three standard streams.

#include <chrono>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/types.h>

class TChildProcess {
public:
    // Starts argv[0] (looked up in PATH unless it holds a '/'); StartError() tells whether it
    // ran. Output beyond MaxOutput bytes per stream is read and dropped.
    TChildProcess(const std::vector<std::string>& argv, std::string input);
    // Kills and reaps a child still running.
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // 0, or the errno of the failed start (ENOENT: no such program).
    int StartError() const { return startError_; }
    // The pipes still open and the exit to come, with the events they wait for, appended to
    // fds; false when there is nothing to wait on but the exit and no pidfd to see it.
    bool AddPollFds(std::vector<pollfd>& fds) const;
    // Moves the bytes of those of fds that are ours and ready.
    void Transfer(const std::vector<pollfd>& fds);
    // Output and error output have ended and the child has exited (and is reaped); never
    // blocks. A child that closed its output but lives on stays unfinished until killed.
    bool Finished();
    // SIGKILL to the child's process group, then waits for the child.
    void Kill();
    // waitpid's status once Finished or killed; -1 before, and when it never started.
    int Status() const { return status_; }

    const std::string& Output() const { return out_; }
    const std::string& Errors() const { return err_; }

    static constexpr size_t MaxOutput = 1 << 20;

private:
    void closeFd(int& fd);
    void readInto(int& fd, std::string& to);
    bool reap(int flags);

    pid_t pid_ = -1;
    int startError_ = 0;
    int inFd_ = -1, outFd_ = -1, errFd_ = -1, pidFd_ = -1;
    std::string input_;
    size_t written_ = 0;
    std::string out_, err_;
    int status_ = -1;
    bool reaped_ = false;
};

struct TChildResult {
    int StartError = 0;    // as TChildProcess::StartError
    bool TimedOut = false; // killed after the time-out
    int Status = -1;       // waitpid's status
    std::string Output, Errors;
};

// poll's time-out with `left` until the nearest deadline; awaitingExit: some child gave false
// from AddPollFds.
int PollWait(bool awaitingExit, std::chrono::milliseconds left);

// Runs a child to its end in the caller's thread, killing it after timeout.
TChildResult RunChild(const std::vector<std::string>& argv, std::string input,
                      std::chrono::milliseconds timeout);
