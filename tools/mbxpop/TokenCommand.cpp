#include "TokenCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/wait.h>

namespace {

struct TCommandTexts {
    TText CannotRun, Failed, Nothing;
};

constexpr TCommandTexts kTokenTexts{
    {"der Befehl für das Zugangstoken lässt sich nicht ausführen",
     "the token command cannot be run"},
    {"der Befehl für das Zugangstoken ist fehlgeschlagen", "the token command failed"},
    {"der Befehl für das Zugangstoken hat kein Token ausgegeben",
     "the token command printed no token"}};
constexpr TCommandTexts kPasswordTexts{
    {"der Befehl für das Passwort lässt sich nicht ausführen",
     "the password command cannot be run"},
    {"der Befehl für das Passwort ist fehlgeschlagen", "the password command failed"},
    {"der Befehl für das Passwort hat kein Passwort ausgegeben",
     "the password command printed no password"}};

struct PipeClose {
    void operator()(FILE* f) const { ::pclose(f); }
};

TTokenOutcome RunCommand(const std::string& command, const TCommandTexts& texts) {
    TTokenOutcome outcome;
    std::fflush(nullptr);
    // popen runs the command through /bin/sh -c, as the user expects of a command line.
    std::unique_ptr<FILE, PipeClose> pipe(::popen(command.c_str(), "r"));
    if (!pipe) {
        outcome.Failure = &texts.CannotRun;
        outcome.Detail = std::strerror(errno);
        return outcome;
    }
    std::string output;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        output.append(buffer, n);
    const int status = ::pclose(pipe.release());
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        outcome.Failure = &texts.Failed;
        outcome.Detail = status != -1 && WIFEXITED(status)
                             ? "exit status " + std::to_string(WEXITSTATUS(status))
                             : "ended abnormally";
        return outcome;
    }
    outcome.Token = output.substr(0, output.find('\n'));
    if (!outcome.Token.empty() && outcome.Token.back() == '\r')
        outcome.Token.pop_back();
    if (outcome.Token.empty())
        outcome.Failure = &texts.Nothing;
    return outcome;
}

} // namespace

TTokenOutcome RunTokenCommand(const std::string& command) {
    return RunCommand(command, kTokenTexts);
}

TTokenOutcome RunPasswordCommand(const std::string& command) {
    return RunCommand(command, kPasswordTexts);
}
