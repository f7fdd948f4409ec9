#include "DovecotServer.h"
#include "ServerPlace.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const std::string kSandboxScript = std::string(INBOX_SOURCE_DIR) + "/scripts/dovecot-sandbox";

// Runs the sandbox script with these arguments; its exit status.
int RunSandbox(const std::vector<std::string>& args) {
    std::vector<std::string> all{"bash", kSandboxScript};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawnp(&pid, "bash", nullptr, nullptr, argv.data(), environ);
    if (rc != 0)
        throw std::runtime_error(std::string("DovecotServer: cannot run bash: ") +
                                 std::strerror(rc));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// A detached watcher that stops the server and removes its folder should this process die
// without running the destructor (a crash, or a test runner's time-out kill). It leaves on its
// own once the folder is gone, which is what the destructor does.
void StartWatchdog(const std::string& folder) {
    const std::string script =
        "while kill -0 " + std::to_string(::getpid()) +
        " 2>/dev/null && [ -d \"$1\" ]; do "
        "sleep 0.2; done; "
        "if [ -d \"$1\" ]; then bash \"$2\" stop \"$1/sandbox\"; rm -rf \"$1\"; fi";
    std::vector<std::string> all{"setsid", "-f",       "bash", "-c",
                                 script,   "watchdog", folder, kSandboxScript};
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "setsid", nullptr, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
}

// The mails written straight into the Maildir the sandbox made (thousands in a moment, where a
// copy per mail would take seconds), named as the sandbox names them: in the order given, and
// owned like the Maildir, so the server's mail processes read them as their own.
void WriteMaildir(const fs::path& maildir, const std::vector<std::string>& mails,
                  size_t first = 1) {
    struct stat owner {};
    if (::stat(maildir.c_str(), &owner) < 0)
        throw std::runtime_error("DovecotServer: no Maildir at " + maildir.string());
    for (size_t i = 0; i < mails.size(); ++i) {
        const std::string n = std::to_string(first + i);
        const fs::path file =
            maildir / "new" / (std::to_string(1000000000 + first + i) + ".M" + n + "P1.sandbox");
        {
            std::ofstream out(file, std::ios::binary);
            out << mails[i];
            if (!out.flush())
                throw std::runtime_error("DovecotServer: cannot write " + file.string());
        }
        if (::chmod(file.c_str(), 0600) < 0 ||
            ::chown(file.c_str(), owner.st_uid, owner.st_gid) < 0)
            throw std::runtime_error("DovecotServer: cannot hand over " + file.string());
    }
}

} // namespace

const std::string& DovecotMissing() {
    static const std::string reason =
        RunSandbox({"check"}) == 0
            ? std::string()
            : "scripts/dovecot-sandbox check found no dovecot program (Debian: dovecot-pop3d)";
    return reason;
}

DovecotServer::DovecotServer(std::string user, std::string password,
                             const std::vector<std::string>& mails, const DovecotTls& tls,
                             const DovecotOAuth2& oauth2)
    : user_(std::move(user)), password_(std::move(password)),
      folder_(MakeServerFolder("inbox-dovecot")) {
    try {
        // The unprivileged Dovecot processes must be able to pass through to the Maildir.
        fs::permissions(folder_,
                        fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        for (int attempt = 0; attempt < 5 && !running_; ++attempt) {
            port_ = FreePort();
            std::vector<std::string> args{"start"};
            if (!tls.CertFile.empty()) {
                do
                    tlsPort_ = FreePort();
                while (tlsPort_ == port_);
                args.insert(args.end(),
                            {"--ssl", tls.CertFile, tls.KeyFile, std::to_string(tlsPort_)});
            }
            if (!oauth2.IntrospectionUrl.empty())
                args.insert(args.end(), {"--oauth2", oauth2.IntrospectionUrl});
            args.insert(args.end(),
                        {folder_ + "/sandbox", std::to_string(port_), user_, password_});
            running_ = RunSandbox(args) == 0;
        }
        if (!running_)
            throw std::runtime_error("DovecotServer: the server did not start; log:\n" + Log());
        WriteMaildir(maildir(), mails);
        mailCount_ = mails.size();
        StartWatchdog(folder_);
    } catch (...) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
        throw;
    }
}

DovecotServer::~DovecotServer() {
    try {
        Stop();
    } catch (...) {
        // A destructor must not throw; Stop already tried its best.
    }
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
}

std::string DovecotServer::maildir() const {
    return (fs::path(folder_) / "sandbox" / "mail" / user_ / "Maildir").string();
}

void DovecotServer::AddMails(const std::vector<std::string>& mails) {
    WriteMaildir(maildir(), mails, mailCount_ + 1);
    mailCount_ += mails.size();
}

void DovecotServer::Stop() {
    if (!running_)
        return;
    running_ = false;
    if (RunSandbox({"stop", folder_ + "/sandbox"}) != 0)
        throw std::runtime_error("DovecotServer: stopping the server failed");
}

std::vector<int> DovecotServer::messages(bool seenOnly) const {
    std::vector<int> numbers;
    const fs::path maildir = fs::path(folder_) / "sandbox" / "mail" / user_ / "Maildir";
    for (const char* sub : {"cur", "new"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(maildir / sub, ec)) {
            // Names are "<time>.M<n>P1.sandbox[:2,flags]", n being the mail's number.
            const std::string name = entry.path().filename().string();
            const size_t m = name.find(".M");
            const size_t p = name.find('P', m == std::string::npos ? 0 : m);
            if (m == std::string::npos || p == std::string::npos)
                continue;
            const size_t flags = name.find(":2,");
            if (seenOnly &&
                (flags == std::string::npos || name.find('S', flags) == std::string::npos))
                continue;
            numbers.push_back(std::atoi(name.substr(m + 2, p - m - 2).c_str()));
        }
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::string DovecotServer::Log() const {
    std::ifstream in(fs::path(folder_) / "sandbox" / "log");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
