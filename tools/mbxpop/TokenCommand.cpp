#include "TokenCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/wait.h>

namespace {

constexpr TText kCannotRun{"der Befehl für das Zugangstoken lässt sich nicht ausführen",
                           "the token command cannot be run"};
constexpr TText kFailed{"der Befehl für das Zugangstoken ist fehlgeschlagen",
                        "the token command failed"};
constexpr TText kNoToken{"der Befehl für das Zugangstoken hat kein Token ausgegeben",
                         "the token command printed no token"};

struct PipeClose {
    void operator()(FILE* f) const { ::pclose(f); }
};

} // namespace

TTokenOutcome RunTokenCommand(const std::string& command) {
    TTokenOutcome outcome;
    std::fflush(nullptr);
    // popen runs the command through /bin/sh -c, as the user expects of a command line.
    std::unique_ptr<FILE, PipeClose> pipe(::popen(command.c_str(), "r"));
    if (!pipe) {
        outcome.Failure = &kCannotRun;
        outcome.Detail = std::strerror(errno);
        return outcome;
    }
    std::string output;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        output.append(buffer, n);
    const int status = ::pclose(pipe.release());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        outcome.Failure = &kFailed;
        outcome.Detail = status != -1 && WIFEXITED(status)
                             ? "exit status " + std::to_string(WEXITSTATUS(status))
                             : "ended abnormally";
        return outcome;
    }
    outcome.Token = output.substr(0, output.find('\n'));
    if (!outcome.Token.empty() && outcome.Token.back() == '\r')
        outcome.Token.pop_back();
    if (outcome.Token.empty())
        outcome.Failure = &kNoToken;
    return outcome;
}
