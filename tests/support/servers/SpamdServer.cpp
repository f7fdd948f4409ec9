#include "SpamdServer.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "ServerPlace.h"

namespace fs = std::filesystem;

namespace {

const std::string kSandboxScript = std::string(INBOX_SOURCE_DIR) + "/scripts/spamd-sandbox";

// spamd compiles its rules at start: seconds, more on a busy machine.
constexpr std::chrono::seconds kStartLimit{120};

bool RunSandbox(const std::vector<std::string>& args, std::string& errors) {
    std::vector<std::string> argv{"bash", kSandboxScript};
    argv.insert(argv.end(), args.begin(), args.end());
    const TChildResult run = RunChild(argv, {}, kStartLimit);
    errors = run.Errors;
    return run.StartError == 0 && !run.TimedOut && WIFEXITED(run.Status) &&
           WEXITSTATUS(run.Status) == 0;
}

} // namespace

bool SpamdServer::Installed() {
    for (const char* program : {"/usr/sbin/spamd", "/usr/bin/spamc"})
        if (::access(program, X_OK) != 0)
            return false;
    return true;
}

SpamdServer::SpamdServer(unsigned children) : folder_(MakeServerFolder("inbox-spamd")) {
    std::string errors;
    for (int attempt = 0; attempt < 5 && !running_; ++attempt) {
        port_ = FreePort();
        running_ =
            RunSandbox({"start", folder_, std::to_string(port_), std::to_string(children)}, errors);
    }
    if (!running_) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        throw std::runtime_error("SpamdServer: spamd did not start: " + errors);
    }
}

SpamdServer::~SpamdServer() {
    std::string ignored;
    if (running_)
        RunSandbox({"stop", folder_}, ignored);
    std::error_code gone;
    fs::remove_all(folder_, gone);
}

std::string SpamdServer::Log() const {
    std::ifstream in(fs::path(folder_) / "log");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
