#include "AllAccounts.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>

#include "AccountFile.h"
#include "KeyringStore.h"
#include "OAuth2Flow.h"
#include "OAuth2Providers.h"
#include "OAuth2Renewal.h"
#include "OAuth2TokenStore.h"
#include "SettingsStore.h"
#include "TextPair.h"
#include "TokenCommand.h"
#include "UiLanguage.h"
#include "WindowAccounts.h"
#include "WindowRules.h"

namespace {

constexpr int kExitFailed = 2;
constexpr int kExitUsage = 64;
constexpr int kExitInterrupted = 130;
// How long the keyring may take to hand out every password (it may ask to be unlocked).
constexpr int kKeyringPatience = 60000;

constexpr TText kCannotReadSettings{"die Einstellungen des Fensters lassen sich nicht lesen",
                                    "the window's settings cannot be read"};
constexpr TText kNoAccounts{"das Fenster kennt kein Konto", "the window remembers no account"};
constexpr TText kNoPassword{
    "kein Passwort: weder im Schlüsselbund noch in den Einstellungen, und kein "
    "--password-command",
    "no password: neither in the keyring nor in the settings, and no --password-command"};
constexpr TText kNoKeyringForToken{
    "meldet sich mit OAuth2 an, doch kein Schlüsselbund läuft: --token-command CMD gibt das "
    "Zugangstoken",
    "signs in with OAuth2, but no keyring runs: --token-command CMD gives the access token"};
constexpr TText kNoProvider{
    "kein OAuth2-Anbieter für den Server: bitte einmal im Hauptfenster anmelden",
    "no OAuth2 provider for the server: sign in once in the main window"};
constexpr TText kNoRefreshToken{
    "kein Erneuerungstoken im Schlüsselbund: bitte einmal im Hauptfenster anmelden",
    "no refresh token in the keyring: sign in once in the main window"};
constexpr TText kTokenRefused{
    "der Anbieter lehnt das Erneuerungstoken ab: bitte einmal im Hauptfenster anmelden",
    "the provider refuses the refresh token: sign in once in the main window"};
constexpr TText kNoAccessToken{"kein Zugangstoken vom Anbieter: ",
                               "no access token from the provider: "};
constexpr TText kTokenNotKept{"der Schlüsselbund nahm das neue Erneuerungstoken nicht an: ",
                              "the keyring did not take the new refresh token: "};
constexpr TText kKeyringFailed{"der Schlüsselbund gab das Passwort nicht heraus: ",
                               "the keyring did not hand out the password: "};
// The count of failed accounts, then KnownAccounts and the total, then the accounts.
constexpr TText kAccountsFailed{" Konto/Konten fehlgeschlagen von ", " account(s) failed of "};
constexpr TText kCannotStart{"mbxpop lässt sich nicht erneut starten: ",
                             "mbxpop cannot start itself again: "};

volatile std::sig_atomic_t stopSignal = 0;

void OnStop(int signal) {
    stopSignal = signal;
}

struct TAllOptions {
    std::vector<std::string> passOn; // the options every account's run gets
    std::string passwordCommand;
    std::string tokenCommand;
    std::string command;
    std::vector<std::string> commandArgs;
    std::string keepCopy; // prune --keep-copy DIR: one folder per account below it
    bool yes = false;     // prune --yes
};

std::optional<std::string> ParseAll(int argc, char** argv, TAllOptions& o) {
    int c = 1;
    while (c < argc && std::find(std::begin(kAllAccountsCommands), std::end(kAllAccountsCommands),
                                 argv[c]) == std::end(kAllAccountsCommands))
        ++c;
    if (c == argc) {
        std::string names;
        for (const std::string_view name : kAllAccountsCommands)
            names += (names.empty() ? "" : ", ") + std::string(name);
        return "--all-accounts runs one of " + names;
    }
    for (int i = 1; i < c; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < c && argv[i + 1][0] != '\0';
        if (option == "--all-accounts")
            continue;
        if (option == "--password-command" || option == "--token-command") {
            if (!hasValue)
                return option + " needs a command";
            (option == "--password-command" ? o.passwordCommand : o.tokenCommand) = argv[++i];
        } else if (option == "--port" || option == "--security" || option == "--auth") {
            return option + " is each account's own with --all-accounts";
        } else if (option.rfind("--", 0) != 0) {
            return "HOST and USER come from the window with --all-accounts: " + option;
        } else {
            o.passOn.push_back(option);
            // An option's value goes along with it.
            if (i + 1 < c && std::string(argv[i + 1]).rfind("--", 0) != 0)
                o.passOn.push_back(argv[++i]);
        }
    }
    o.command = argv[c];
    for (int i = c + 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (o.command == "prune" && arg == "--keep-copy" && i + 1 < argc) {
            o.keepCopy = argv[++i];
            continue;
        }
        o.yes = o.yes || (o.command == "prune" && arg == "--yes");
        o.commandArgs.push_back(arg);
    }
    return std::nullopt;
}

// Leads each line written through it with the account and a tab.
class TLedLines {
public:
    TLedLines(std::string label, std::ostream& out) : label_(std::move(label)), out_(out) {}
    void Feed(const char* bytes, size_t n) {
        pending_.append(bytes, n);
        for (size_t eol; (eol = pending_.find('\n')) != std::string::npos;) {
            out_ << label_ << '\t' << std::string_view(pending_).substr(0, eol + 1);
            pending_.erase(0, eol + 1);
        }
        out_.flush();
    }
    void Finish() {
        if (!pending_.empty())
            out_ << label_ << '\t' << pending_ << '\n';
        pending_.clear();
        out_.flush();
    }

private:
    std::string label_;
    std::ostream& out_;
    std::string pending_;
};

// The passwords the keyring holds for the password accounts, keyed by their index; with the
// keyring's error where it failed.
struct TKeyringPasswords {
    std::map<size_t, std::string> Found;
    std::map<size_t, std::string> Errors;
};

TKeyringPasswords ReadKeyring(const std::vector<TWindowAccount>& accounts) {
    TKeyringPasswords read;
    if (!TKeyringStore::ServiceRuns())
        return read;
    TKeyringStore store;
    std::map<std::pair<QString, QString>, size_t> asked;
    QObject::connect(&store, &TKeyringStore::ReadFinished,
                     [&](const QString& server, const QString& user, TKeyringStore::Result result,
                         const QString& password, const QString& error) {
                         const size_t k = asked[{server, user}];
                         if (result == TKeyringStore::Result::Done)
                             read.Found[k] = password.toStdString();
                         else if (result == TKeyringStore::Result::Failed)
                             read.Errors[k] = error.toStdString();
                     });
    for (size_t k = 0; k < accounts.size(); ++k) {
        if (accounts[k].OAuth2)
            continue;
        const QString server = QString::fromStdString(accounts[k].Server);
        const QString user = QString::fromStdString(accounts[k].User);
        asked[{server, user}] = k;
        store.Read(server, user);
    }
    store.WaitForJobs(kKeyringPatience);
    return read;
}

// An OAuth2 account's access token, refreshed at its provider with the refresh token the
// window keeps in the keyring; a new refresh token goes back there. Else what to tell.
struct TAccess {
    std::string Token;
    std::optional<std::string> Problem;
    std::optional<std::string> Warning; // the account goes on
};

TAccess RefreshedToken(const TWindowAccount& account, TOAuth2TokenStore& tokens, TOAuth2Flow& flow,
                       bool german) {
    if (!tokens.KeepsRefreshTokens())
        return {{}, Pick(kNoKeyringForToken, german), {}};
    const auto provider = OAuth2ProviderFor(TSettingsStore(), QString::fromStdString(account.Host));
    if (!provider || provider->ClientId.isEmpty())
        return {{}, Pick(kNoProvider, german), {}};
    const TOAuth2Renewal renewal =
        RenewAccessToken(tokens, flow, *provider, QString::fromStdString(account.User),
                         QDateTime::currentDateTimeUtc());
    using TStatus = TOAuth2Renewal::TStatus;
    switch (renewal.Status) {
    case TStatus::Done:
        break;
    case TStatus::NoRefreshToken:
        return {{}, Pick(kNoRefreshToken, german), {}};
    case TStatus::Refused:
        return {{}, Pick(kTokenRefused, german), {}};
    default:
        return {{}, Pick(kNoAccessToken, german) + renewal.Error.toStdString(), {}};
    }
    TAccess access{renewal.Access.toStdString(), {}, {}};
    if (!renewal.NotStored.isEmpty())
        access.Warning = Pick(kTokenNotKept, german) + renewal.NotStored.toStdString();
    return access;
}

// Runs mbxpop for one account with password or token (if any) in its environment; its output lines
// go out led by label. Its exit status; 130 when stopped.
int RunFor(const std::vector<std::string>& args, const std::optional<std::string>& password,
           const std::optional<std::string>& token, const TWindowAccount& account,
           const std::string& label, bool german) {
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) {
        std::cerr << label << "\tmbxpop: " << Pick(kCannotStart, german) << std::strerror(errno)
                  << "\n";
        return kExitFailed;
    }
    // Everything the child needs is made before fork: the keyring's D-Bus thread may hold a
    // lock that malloc or setenv in the child would wait for forever.
    std::vector<std::string> environment;
    const auto set = [&](const char* name, const std::string& value) {
        environment.push_back(std::string(name) + '=' + value);
    };
    if (password)
        set("MBXPOP_PASSWORD", *password);
    if (token)
        set("MBXPOP_TOKEN", *token);
    // For a token command that serves several accounts.
    set("MBXPOP_ACCOUNT", label);
    set("MBXPOP_USER", account.User);
    set("MBXPOP_HOST", account.Host);
    for (char** variable = environ; *variable; ++variable) {
        const std::string_view entry(*variable);
        const std::string_view name = entry.substr(0, entry.find('='));
        if (name != "MBXPOP_PASSWORD" && name != "MBXPOP_TOKEN" && name != "MBXPOP_ACCOUNT" &&
            name != "MBXPOP_USER" && name != "MBXPOP_HOST")
            environment.emplace_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::cout.flush();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (const int fd : {out[0], out[1], err[0], err[1]})
            ::close(fd);
        ::execve("/proc/self/exe", argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    if (pid < 0) {
        ::close(out[0]);
        ::close(err[0]);
        std::cerr << label << "\tmbxpop: " << Pick(kCannotStart, german) << std::strerror(errno)
                  << "\n";
        return kExitFailed;
    }
    TLedLines outLines(label, std::cout), errLines(label, std::cerr);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    TLedLines* lines[2] = {&outLines, &errLines};
    bool forwarded = false;
    for (int open = 2; open > 0;) {
        if (stopSignal && !forwarded) {
            ::kill(pid, stopSignal);
            forwarded = true;
        }
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int f = 0; f < 2; ++f) {
            if (fds[f].fd < 0 || fds[f].revents == 0)
                continue;
            char buffer[8192];
            const ssize_t n = ::read(fds[f].fd, buffer, sizeof buffer);
            if (n > 0) {
                lines[f]->Feed(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(fds[f].fd);
                fds[f].fd = -1;
                --open;
            }
        }
    }
    for (const pollfd& fd : fds)
        if (fd.fd >= 0)
            ::close(fd.fd);
    outLines.Finish();
    errLines.Finish();
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return WIFSIGNALED(status) && (WTERMSIG(status) == SIGINT || WTERMSIG(status) == SIGTERM)
               ? kExitInterrupted
               : kExitFailed;
}

} // namespace

int RunAllAccounts(int argc, char** argv) {
    TAllOptions o;
    if (auto error = ParseAll(argc, argv, o)) {
        std::cerr << "mbxpop: " << *error << "\n(mbxpop --help tells the usage)\n";
        return kExitUsage;
    }
    const bool german = GermanUiFromEnvironment();
    // The one account's password; it goes to no command this process starts.
    const char* variable = std::getenv("MBXPOP_PASSWORD");
    const std::optional<std::string> onePassword =
        variable ? std::optional<std::string>(variable) : std::nullopt;
    ::unsetenv("MBXPOP_PASSWORD");

    QCoreApplication app(argc, argv);
    const auto accounts = WindowAccounts();
    if (!accounts || accounts->empty()) {
        std::cerr << "mbxpop: " << Pick(accounts ? kNoAccounts : kCannotReadSettings, german)
                  << "\n";
        return kExitFailed;
    }
    const TKeyringPasswords keyring = ReadKeyring(*accounts);
    // prune --yes keeps copies where the window keeps them, in the window's folder per account.
    std::string copiesRoot = o.keepCopy;
    if (copiesRoot.empty() && o.yes && TSettingsStore().ReadInteger("KeepCopies", 1) != 0)
        if (const auto data = WindowDataFolder())
            copiesRoot = *data + "/Deleted";

    struct sigaction action {};
    action.sa_handler = OnStop;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    // Made at the first OAuth2 account that needs them.
    std::unique_ptr<TOAuth2TokenStore> tokens;
    std::unique_ptr<TOAuth2Flow> flow;
    int worst = 0;
    std::vector<std::string> failed;
    for (size_t k = 0; k < accounts->size() && !stopSignal; ++k) {
        const TWindowAccount& account = (*accounts)[k];
        const std::string label = AccountLabel(account);
        std::vector<std::string> args{argv[0]};
        args.insert(args.end(), o.passOn.begin(), o.passOn.end());
        if (account.PortTyped)
            args.insert(args.end(), {"--port", std::to_string(account.Port)});
        args.insert(args.end(), {"--security", SecurityName(account.Security)});
        std::optional<std::string> password;
        std::optional<std::string> token;
        std::optional<std::string> problem;
        if (account.OAuth2 && !o.tokenCommand.empty()) {
            args.insert(args.end(), {"--auth", "xoauth2", "--token-command", o.tokenCommand});
        } else if (account.OAuth2) {
            if (!tokens) {
                tokens = std::make_unique<TOAuth2TokenStore>(TKeyringStore::ServiceRuns());
                flow = std::make_unique<TOAuth2Flow>();
            }
            const TAccess access = RefreshedToken(account, *tokens, *flow, german);
            if (access.Warning)
                std::cerr << label << "\tmbxpop: " << *access.Warning << "\n";
            problem = access.Problem;
            if (!problem) {
                token = access.Token;
                args.insert(args.end(), {"--auth", "xoauth2"});
            }
        } else if (keyring.Found.count(k)) {
            password = keyring.Found.at(k);
        } else if (!account.StoredPassword.empty()) {
            password = account.StoredPassword;
        } else if (!o.passwordCommand.empty()) {
            ::setenv("MBXPOP_ACCOUNT", label.c_str(), 1);
            ::setenv("MBXPOP_USER", account.User.c_str(), 1);
            ::setenv("MBXPOP_HOST", account.Host.c_str(), 1);
            const TTokenOutcome read = RunPasswordCommand(o.passwordCommand);
            if (read.Failure)
                problem = std::string(Pick(*read.Failure, german)) +
                          (read.Detail.empty() ? "" : " (" + read.Detail + ")");
            else
                password = read.Token;
        } else if (onePassword && accounts->size() == 1) {
            password = onePassword;
        } else {
            problem = keyring.Errors.count(k) ? Pick(kKeyringFailed, german) + keyring.Errors.at(k)
                                              : Pick(kNoPassword, german);
        }
        args.insert(args.end(), {account.Host, account.User, o.command});
        args.insert(args.end(), o.commandArgs.begin(), o.commandArgs.end());
        if (!copiesRoot.empty())
            args.insert(args.end(), {"--keep-copy", copiesRoot + '/' +
                                                        AccountFileName(account.User, account.Host,
                                                                        account.Port)});
        int status = kExitFailed;
        if (problem)
            std::cerr << label << "\tmbxpop: " << *problem << "\n";
        else
            status = RunFor(args, password, token, account, label, german);
        if (status == kExitInterrupted)
            stopSignal = stopSignal ? stopSignal : SIGINT;
        if (status != 0) {
            worst = std::max(worst, status);
            failed.push_back(label);
        }
    }
    if (stopSignal)
        return kExitInterrupted;
    if (!failed.empty()) {
        std::cerr << "mbxpop: " << failed.size() << Pick(kAccountsFailed, german)
                  << accounts->size() << ":";
        for (const std::string& label : failed)
            std::cerr << ' ' << label;
        std::cerr << "\n";
    }
    return worst;
}
