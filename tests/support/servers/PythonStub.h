#pragma once

// A python3 script of this folder run as a server for one test: it prints its first line (the
// ports it listens on) once it serves, and stops with the test. Should the test process die
// first, the scripts leave on their own.

#include <string>
#include <vector>

#include <sys/types.h>

class PythonStub {
public:
    // Starts script (a file name in this folder) with args and waits a few seconds for its
    // first line; std::runtime_error when it does not come.
    PythonStub(const std::string& script, const std::vector<std::string>& args);
    ~PythonStub();
    PythonStub(const PythonStub&) = delete;
    PythonStub& operator=(const PythonStub&) = delete;

    const std::string& FirstLine() const { return line_; }
    // The script's full path, for commands that run it themselves.
    static std::string PathOf(const std::string& script);

private:
    void Stop();

    pid_t pid_ = -1;
    std::string line_;
};
