// mbxpop [--port N] [--security auto|tls|starttls|none] [--ca-file FILE] [--trace] [--retr]
//        [--no-pipelining] [--fresh] [--timeout SECONDS] [--auth password|xoauth2|oauthbearer]
//        [--token-command CMD] [--score [--scorer NAME] ...] HOST USER COMMAND [ARGS...]
// mbxpop [OPTIONS] --all-accounts [--password-command CMD] list|space|prune [ARGS...]
// (AllAccounts.h) One POP3 session driven through TMbxPOP, for diagnosis, scripted checks and
// benchmarks. retrieve asks for the whole mail with TOP, as the window does; --retr forces RETR.
// list and delete keep several commands in flight where the server lists PIPELINING, as the
// window does; --no-pipelining sends one command at a time.
// The password comes from MBXPOP_PASSWORD; with --auth xoauth2 or oauthbearer the access token
// is the first line CMD prints (run through /bin/sh -c), without --token-command MBXPOP_TOKEN.
// Commands: stat | list | header N | retrieve N | space [--by KEY] [--top N] [--json]
// (SpaceCommands.h) | list --format tsv|json | delete [--keep-copy DIR] N [N ...] | delete
// [--keep-copy DIR] --uid ID [ID ...] | prune [--rules FILE ...] [--dry-run | --yes [--keep-copy
// DIR]] (Prune.h) | unsubscribe N
// [--yes] (Unsubscribe.h: after the session, the one-click POST). delete prints each
// mail it deletes as prune does before the first DELE (CopyingDelete.h); with --uid it finds
// the mails by unique id (UIDL), names each id not on the server and deletes the others. Should
// the server end the session of prune --yes between the listing and the first DELE taken, prune
// signs in again once and deletes the marked mails it finds there (MarkedMails.h). With --port and
// no --security the mode the window remembered for the account is used (WindowSecurity.h). header N
// prints the header without the answer's "." line. The server's and the mails' texts are printed
// escaped (EscapedLine.h). The session ends with QUIT where it is still open. It never asks: where
// the window would ask (a certificate that cannot be verified, no encryption offered) it stops.
// SIGINT or SIGTERM ends the session at once without QUIT (before QUIT nothing is deleted; once it
// went out the copies stay). Exit status: 0 success (--help included); 1 a refusal reported through
// OnError, or a token command that failed or printed no token; 2 a failed connect, a transport
// failure, a mail left for want of a copy, a unique id not on the server, or another exception; 3 a
// security failure; 64 bad usage; unsubscribe's own in Unsubscribe.h (1, 65); 130 ended by SIGINT
// or SIGTERM. Messages follow the locale: German where the window would speak German, else English.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "AllAccounts.h"
#include "CopyingDelete.h"
#include "FailureTexts.h"
#include "MarkedMails.h"
#include "MbxMIME.h"
#include "MbxPOP3.h"
#include "MemoryListing.h"
#include "MessageJson.h"
#include "Messages.h"
#include "Prune.h"
#include "ScoreListing.h"
#include "ScoreOptions.h"
#include "SpaceCommands.h"
#include "TokenCommand.h"
#include "Trace.h"
#include "UiLanguage.h"
#include "UniqueIds.h"
#include "Unsubscribe.h"
#include "Usage.h"
#include "WindowScorer.h"
#include "WindowSecurity.h"

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitFailed = 2;
constexpr int kExitInsecure = 3;
constexpr int kExitUsage = 64;
constexpr int kExitInterrupted = 130;

// Set by SIGINT and SIGTERM; the waits of the session look at it between their slices.
volatile std::sig_atomic_t interrupted = 0;

struct Options {
    bool help = false;
    std::string port; // empty: the security mode's default
    TSecurity security = TSecurity::Auto;
    bool securityGiven = false;
    std::string caFile;
    bool trace = false;
    bool fresh = false; // list, space, prune: every header from the server
    bool retr = false;
    bool pipelining = true;
    int timeoutSeconds = 0; // 0: the client's default
    TAuthMethod auth = TAuthMethod::Password;
    std::string tokenCommand;
    std::string host;
    std::string user;
    std::string command;
    std::vector<TMsgNumber> numbers;
    std::vector<std::string> uids; // delete --uid
    TPruneRequest prune;
    std::string keepCopy; // delete: the folder of copies; empty: none
    bool yes = false;     // unsubscribe: make the one-click POST
    TScoreOptions score;
    TSpaceRequest space;
    TListFormat listFormat = TListFormat::Plain;
};

int Usage(const std::string& why) {
    std::cerr << "mbxpop: " << why << "\n" << kUsage << kScoreUsage;
    return kExitUsage;
}

// A message number: 1 to 2^31 - 1.
bool ParseNumber(const std::string& text, TMsgNumber& number) {
    int32_t value = 0;
    if (!ParseInt32(text, value) || value < 1)
        return false;
    number = static_cast<TMsgNumber>(value);
    return true;
}

// Fills options; an error text when the command line is not usable.
std::optional<std::string> ParseArguments(int argc, char** argv, Options& o) {
    int i = 1;
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        o.help = true;
        return std::nullopt;
    }
    for (; i < argc && std::string(argv[i]).rfind("--", 0) == 0; ++i) {
        const std::string option = argv[i];
        if (option == "--trace") {
            o.trace = true;
        } else if (option == "--fresh") {
            o.fresh = true;
        } else if (option == "--retr") {
            o.retr = true;
        } else if (option == "--no-pipelining") {
            o.pipelining = false;
        } else if (option == "--timeout") {
            TMsgNumber seconds = 0;
            if (i + 1 >= argc || !ParseNumber(argv[i + 1], seconds) || seconds > 86400)
                return "--timeout needs a number of seconds from 1 to 86400";
            o.timeoutSeconds = static_cast<int>(seconds);
            ++i;
        } else if (option == "--port") {
            TMsgNumber port = 0;
            if (i + 1 >= argc || !ParseNumber(argv[i + 1], port) || port > 65535)
                return "--port needs a port number from 1 to 65535";
            o.port = std::to_string(port);
            ++i;
        } else if (option == "--security") {
            const auto security = i + 1 < argc ? SecurityFromName(argv[i + 1]) : std::nullopt;
            if (!security)
                return "--security needs auto, tls, starttls or none";
            o.security = *security;
            o.securityGiven = true;
            ++i;
        } else if (option == "--ca-file") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return "--ca-file needs a file name";
            o.caFile = argv[++i];
        } else if (option == "--auth") {
            const auto auth = i + 1 < argc ? AuthMethodFromName(argv[i + 1]) : std::nullopt;
            if (!auth)
                return "--auth needs password, xoauth2 or oauthbearer";
            o.auth = *auth;
            ++i;
        } else if (option == "--password-command") {
            return "--password-command goes with --all-accounts";
        } else if (option == "--token-command") {
            if (i + 1 >= argc || argv[i + 1][0] == '\0')
                return "--token-command needs a command";
            o.tokenCommand = argv[++i];
        } else {
            std::optional<std::string> error;
            if (!ParseScoreOption(argc, argv, i, o.score, error))
                return "unknown option " + option;
            if (error)
                return error;
        }
    }
    if (o.auth == TAuthMethod::Password && !o.tokenCommand.empty())
        return "--token-command goes with --auth xoauth2 or oauthbearer";
    const char* token = std::getenv("MBXPOP_TOKEN");
    if (o.auth != TAuthMethod::Password && o.tokenCommand.empty() && (!token || !*token))
        return "--auth " + AuthMethodName(o.auth) + " needs --token-command or MBXPOP_TOKEN";
    if (argc - i < 3)
        return "HOST, USER and COMMAND are needed";
    o.host = argv[i++];
    o.user = argv[i++];
    o.command = argv[i++];
    if (o.command == "prune")
        return ParsePruneArguments(std::vector<std::string>(argv + i, argv + argc), o.prune);
    if (o.command == "space") {
        if (auto error = ParseSpaceArguments({argv + i, argv + argc}, o.space))
            return error;
        return CheckScoreOptions(o.score, o.command);
    }
    if (o.command == "list" && i < argc) {
        if (auto error = ParseListArguments({argv + i, argv + argc}, o.listFormat))
            return error;
        if (o.score.Enabled)
            return "list --format goes without --score";
        return CheckScoreOptions(o.score, o.command);
    }
    if (o.command == "delete" && i < argc && std::string(argv[i]) == "--keep-copy") {
        if (i + 1 >= argc || argv[i + 1][0] == '\0')
            return "--keep-copy needs a folder";
        o.keepCopy = argv[i + 1];
        i += 2;
    }
    if (o.command == "delete" && i < argc && std::string(argv[i]) == "--uid") {
        for (++i; i < argc; ++i) {
            const std::string id = argv[i];
            if (id.empty() || id.size() > kMaxUniqueIdLength ||
                !std::all_of(id.begin(), id.end(), [](char c) { return c > 0x20 && c < 0x7f; }))
                return "not a unique id: " + id;
            o.uids.push_back(id);
        }
        if (o.uids.empty())
            return "delete --uid needs at least one unique id";
        return CheckScoreOptions(o.score, o.command);
    }
    for (; i < argc; ++i) {
        if (o.command == "unsubscribe" && std::string(argv[i]) == "--yes" && !o.yes) {
            o.yes = true;
            continue;
        }
        TMsgNumber n = 0;
        if (!ParseNumber(argv[i], n))
            return std::string("not a message number: ") + argv[i];
        o.numbers.push_back(n);
    }
    const size_t args = o.numbers.size();
    if (o.command == "stat" || o.command == "list") {
        if (args != 0)
            return o.command + " takes no arguments";
    } else if (o.command == "header" || o.command == "retrieve" || o.command == "unsubscribe") {
        if (args != 1)
            return o.command + " takes one message number";
    } else if (o.command == "delete") {
        if (args == 0)
            return "delete needs at least one message number";
    } else {
        return "unknown command " + o.command;
    }
    return CheckScoreOptions(o.score, o.command);
}

// A retrieval fills tens of MB of fresh heap in small blocks, and first-touch page faults then
// cost more than the parsing. With transparent huge pages malloc maps that memory in 2 MB steps.
// glibc reads the setting only at start-up, so the process starts itself again with it once.
void UseHugePagesForTheHeap(char** argv) {
    if (std::getenv("GLIBC_TUNABLES"))
        return;
    ::setenv("GLIBC_TUNABLES", "glibc.malloc.hugetlb=1", 1);
    ::execv("/proc/self/exe", argv);
    ::unsetenv("GLIBC_TUNABLES"); // not possible here: carry on without
}

// header N: the header as the mail has it, without the answer's "." line and with a doubled
// leading dot undone; each line escaped (a tab stays) and ended with CR LF, as sent.
void PrintHeader(const std::string& answer, std::ostream& out) {
    std::string_view rest(answer);
    while (!rest.empty()) {
        const size_t eol = rest.find("\r\n");
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 2);
        if (line == "." && rest.empty())
            break;
        if (!line.empty() && line[0] == '.')
            line.remove_prefix(1);
        out << EscapedLine(line, true) << "\r\n";
    }
}

bool IsSecurityFailure(TFailureCause cause) {
    return cause == TFailureCause::Tls || cause == TFailureCause::Certificate ||
           cause == TFailureCause::Insecure;
}

// delete --uid: the mails of the ids found, named and deleted; each id not found to err. False
// when an id named no mail.
bool DeleteByIds(TMbxPOP& pop, const Options& o, TDeletion& deletion, bool german) {
    pop.Stat();
    if (!pop.Connected())
        return true;
    std::vector<TListedMark> wanted;
    for (const std::string& id : o.uids)
        wanted.push_back({0, 0, id, {}});
    TMarksNow now;
    bool idsListed = false;
    if (FindMailsById(pop, wanted, now, idsListed) != TMbxPOP::TPassEnd::Complete)
        return true;
    if (!idsListed) {
        std::cerr << "mbxpop: " << Pick(mbxpop_texts::NoIds, german) << "\n";
        return false;
    }
    for (const TListedMark& gone : now.Gone)
        std::cerr << "mbxpop: " << Pick(mbxpop_texts::NoSuchId, german) << EscapedLine(gone.Id)
                  << "\n";
    const auto marked = NameMails(pop, now.NumbersNow(), std::cout);
    if (pop.Connected() && !marked.empty())
        deletion.Run(pop, marked);
    return now.Gone.empty();
}

void RunCommand(TMbxPOP& pop, const Options& o, const std::optional<TPrune>& prune, bool german,
                TDeletion& deletion, const std::function<bool()>& connectAgain, bool& idsFound,
                std::optional<std::string>& listedHeader) {
    if (o.command == "stat") {
        pop.Stat();
        if (pop.Connected())
            std::cout << pop.MessageCount() << ' ' << pop.MailboxSize() << '\n';
    } else if (o.command == "list" && o.score.Enabled) {
        // The window's memory of scores for the account, on the port that worked.
        const std::string memory =
            WindowScoreMemoryFile(pop.UserId, pop.Host, pop.UsedPort()).value_or("");
        ListWithScores(pop, o.score, memory, o.fresh, german, std::cout, std::cerr,
                       o.trace ? &std::cerr : nullptr);
    } else if (o.command == "list" && o.listFormat != TListFormat::Plain) {
        ListFormatted(pop, o.listFormat, o.fresh, std::cout, std::cerr, german);
    } else if (o.command == "space") {
        RunSpace(pop, o.space, o.fresh, std::cout, std::cerr, german);
    } else if (o.command == "list") {
        pop.Stat();
        // The window's listing, pipelined unless --no-pipelining; the unique id last, if any.
        if (pop.Connected())
            ListWithMemory(
                pop, o.fresh, true,
                [](TMsgNumber n, const std::string& header, const std::string& size,
                   const std::string& id) {
                    std::cout << n << '\t' << size << '\t' << header.size();
                    if (!id.empty())
                        std::cout << '\t' << id;
                    std::cout << '\n';
                },
                std::cerr, german);
    } else if (o.command == "header") {
        std::string header;
        pop.GetMsgHeader(o.numbers[0], header);
        PrintHeader(header, std::cout);
    } else if (o.command == "unsubscribe") {
        std::string header;
        pop.GetMsgHeader(o.numbers[0], header);
        if (!header.empty())
            listedHeader = std::move(header);
    } else if (o.command == "retrieve") {
        auto msg = pop.Retrieve(o.numbers[0]);
        if (msg && pop.LastRetrievalUsedRetr())
            std::cerr << "mbxpop: " << Pick(mbxpop_texts::FetchedWithRetr, german) << "\n";
        if (msg)
            std::cout << MessageJson(*msg);
    } else if (o.command == "delete" && !o.uids.empty()) {
        idsFound = DeleteByIds(pop, o, deletion, german);
    } else if (o.command == "delete") {
        // What is deleted is printed first: the numbers are those of this session.
        const auto marked = NameMails(pop, o.numbers, std::cout);
        if (pop.Connected())
            deletion.Run(pop, marked);
    } else if (o.command == "prune") {
        prune->Run(pop, deletion, o.fresh, std::cout, std::cerr, german, connectAgain);
    }
}

void OnInterrupt(int) {
    interrupted = 1;
}

// SIGINT and SIGTERM end the session's wait (as the window's Cancel does): the socket is
// closed from the client's event hook, and the run ends through its usual outcome.
void StopOnInterrupt(TMbxPOP& pop) {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    pop.ProcessMessages = [&pop] {
        if (interrupted)
            if (TClientWinSocket* socket = pop.ClientSocket().Socket())
                socket->Close();
    };
}

int Interrupted(bool german) {
    std::cout.flush();
    std::cerr << "mbxpop: " << Pick(mbxpop_texts::Interrupted, german) << "\n";
    return kExitInterrupted;
}

} // namespace

int main(int argc, char** argv) {
    if (WantsAllAccounts(argc, argv))
        return RunAllAccounts(argc, argv);
    Options o;
    if (auto error = ParseArguments(argc, argv, o))
        return Usage(*error);
    if (o.help) {
        std::cout << kUsage << kScoreUsage;
        return std::cout.flush() ? 0 : kExitFailed;
    }
    const bool german = GermanUiFromEnvironment();
    if (o.score.Enabled && !o.score.Kind) {
        if (auto error = TakeWindowScorer(o.score, german)) {
            if (error->Usage)
                return Usage(error->Text);
            std::cerr << "mbxpop: " << error->Text << "\n";
            return kExitFailed;
        }
    }
    std::optional<TPrune> prune;
    if (o.command == "prune")
        if (const int status = LoadPrune(o.prune, o.host, o.port, o.user, german, prune, std::cerr))
            return status;
    const char* passwordVariable = std::getenv("MBXPOP_PASSWORD");
    if (!passwordVariable && o.auth == TAuthMethod::Password)
        return Usage("MBXPOP_PASSWORD is not set");
    if (o.command == "retrieve")
        UseHugePagesForTheHeap(argv);
    // Past the re-exec: taken out of the environment that scorers and the token command inherit.
    const std::string password = passwordVariable ? passwordVariable : "";
    ::unsetenv("MBXPOP_PASSWORD");
    const char* tokenVariable = std::getenv("MBXPOP_TOKEN");
    std::string accessToken = tokenVariable ? tokenVariable : ""; // kept for a second login
    ::unsetenv("MBXPOP_TOKEN");

    TMbxPOP pop;
    pop.Host = o.host;
    pop.Port = o.port;
    // A port without --security: the window's mode for the account spares the probe of Auto.
    const std::optional<TSecurity> remembered =
        o.securityGiven || o.port.empty() ? std::nullopt
                                          : RememberedSecurity(o.host, std::stoi(o.port), o.user);
    pop.Security = remembered.value_or(o.security);
    pop.CaFile = o.caFile;
    pop.UserId = o.user;
    pop.Auth = o.auth;
    if (o.auth == TAuthMethod::Password) {
        pop.UserPasswd = password;
    } else if (o.tokenCommand.empty()) {
        pop.AccessToken = accessToken;
    } else {
        // Before the connection: without a token there is nothing to sign in with.
        const TTokenOutcome token = RunTokenCommand(o.tokenCommand);
        if (token.Failure) {
            std::cerr << "mbxpop: " << Pick(*token.Failure, german)
                      << (token.Detail.empty() ? "" : " (" + token.Detail + ")") << "\n";
            return kExitRefused;
        }
        pop.AccessToken = token.Token;
        accessToken = token.Token;
    }
    pop.WholeMailByRetr = o.retr;
    pop.AllowPipelining = o.pipelining;
    if (o.timeoutSeconds > 0)
        pop.ReceiveTimeout = std::chrono::seconds(o.timeoutSeconds);
    StopOnInterrupt(pop);
    if (o.trace) {
        AttachTrace(pop, std::cerr);
        std::cerr << "security mode " << SecurityName(pop.Security)
                  << (remembered        ? ", remembered by the window for this account"
                      : o.securityGiven ? ", as --security gives it"
                                        : "")
                  << std::endl;
    }
    std::optional<std::string> refusal;
    pop.OnError = [&](TObject*, int code, const std::string& text) {
        // The client's own sentences in the locale's language; the server's as they came, but
        // never a control that the terminal would obey.
        refusal = std::to_string(code) + " " + EscapedLine(FailureDetail(text, german));
        if (o.trace)
            std::cerr << "event error " << code << ' ' << EscapedLine(text) << std::endl;
    };

    // Outside the try: its copies stay on every way out once QUIT went out, and go on the others.
    TDeletion deletion(o.command == "prune" ? o.prune.keepCopy : o.keepCopy);
    const bool deleting = o.command == "delete" || (o.command == "prune" && o.prune.yes);
    std::optional<int> failed;               // the exit status of a failure told already
    bool idsFound = true;                    // delete --uid: every id named a mail
    std::optional<std::string> listedHeader; // unsubscribe: mail N's header
    // prune --yes after the server ended the session: the same account again, as before, with
    // the security that worked, up to STAT.
    const auto connectAgain = [&]() -> bool {
        if (pop.UsedPort() != 0) {
            pop.Security = pop.UsedSecurity();
            pop.Port = std::to_string(pop.UsedPort());
        }
        // The lost session's error is told as the reason for this one.
        refusal.reset();
        // Login took them out of the session once they went out.
        pop.UserPasswd = password;
        pop.AccessToken = accessToken;
        pop.Connect();
        if (pop.Failed() && !pop.Connected()) {
            std::cerr << "mbxpop: " << Pick(mbxpop_texts::CannotConnect, german) << o.host << ": "
                      << FailureLine(pop.OpenCause(), pop.OpenError(), german,
                                     TimeoutSeconds(pop.ReceiveTimeout))
                      << "\n";
            failed = IsSecurityFailure(pop.OpenCause()) ? kExitInsecure : kExitFailed;
        } else if (pop.Failed()) {
            std::cerr << "mbxpop: " << Pick(mbxpop_texts::SessionRefused, german)
                      << EscapedLine(pop.ReplyText()) << "\n";
            failed = kExitFailed;
        }
        return !pop.Failed() && pop.Login() && pop.Stat();
    };
    try {
        pop.Connect();
        if (pop.Failed()) {
            if (!pop.Connected()) {
                if (interrupted)
                    return Interrupted(german);
                const bool timedOut = pop.OpenCause() == TFailureCause::Timeout;
                std::cerr << "mbxpop: " << Pick(mbxpop_texts::CannotConnect, german) << o.host
                          << ": "
                          << FailureLine(
                                 pop.OpenCause(), pop.OpenError(), german,
                                 TimeoutSeconds(timedOut ? pop.ConnectTimeout : pop.ReceiveTimeout))
                          << "\n";
                if (remembered)
                    std::cerr << "mbxpop: " << Pick(mbxpop_texts::RememberedMayNotFit, german)
                              << "\n";
                else if (timedOut)
                    std::cerr << "mbxpop: " << Pick(mbxpop_texts::SecurityMayNotFit, german)
                              << "\n";
                return IsSecurityFailure(pop.OpenCause()) ? kExitInsecure : kExitFailed;
            }
            std::cerr << "mbxpop: " << Pick(mbxpop_texts::SessionRefused, german)
                      << EscapedLine(pop.ReplyText()) << "\n";
            pop.Quit();
            return kExitFailed;
        }
        if (o.trace)
            TraceSecurity(pop, std::cerr);
        if (pop.Login())
            RunCommand(pop, o, prune, german, deletion, connectAgain, idsFound, listedHeader);
        if (pop.Connected())
            pop.Quit();
    } catch (const ESocketError& e) {
        std::cout.flush();
        if (!interrupted)
            std::cerr << "mbxpop: "
                      << FailureLine(e.Cause, e.what(), german, TimeoutSeconds(pop.ReceiveTimeout))
                      << "\n";
        failed = kExitFailed;
    } catch (const std::exception& e) {
        std::cout.flush();
        std::cerr << "mbxpop: " << EscapedLine(e.what()) << "\n";
        failed = kExitFailed;
    }
    // However the session ended: what it means for the mails asked to be deleted.
    const bool allDeleted = !deleting || deletion.Finish(pop, std::cout, std::cerr, german);
    std::cout.flush();
    if (interrupted)
        return Interrupted(german);
    if (failed)
        return *failed;
    if (refusal) {
        std::cerr << "mbxpop: " << Pick(mbxpop_texts::Refused, german) << *refusal << "\n";
        return kExitRefused;
    }
    // The POP3 session is over before anything goes to the list's server.
    if (listedHeader)
        return Unsubscribe(*listedHeader, {o.yes, o.caFile, o.timeoutSeconds}, german, std::cout,
                           std::cerr);
    return std::cout && allDeleted && idsFound ? 0 : kExitFailed;
}
