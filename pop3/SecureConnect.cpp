// TMbxPOP::Connect: the TCP connection, then TLS at once or after STLS, as Security asks.
#include <algorithm>
#include <cerrno>
#include <exception>
#include <strings.h>
#include <utility>

#include "MbxMIME.h"
#include "MbxPOP3.h"

namespace {

// The port of Port when it is one, else 0.
int GivenPort(const std::string& text) {
    int32_t port = 0;
    return ParseInt32(text, port) && port > 0 && port <= 65535 ? port : 0;
}

// While alive, the socket's close and error reports stay quiet: Auto may try again, and only
// the end of all its attempts is the end of the session.
class TQuietAttempts {
public:
    TQuietAttempts(TClientSocket& socket, bool& connected)
        : socket_(socket), report_(socket.OnDisconnect), errorReport_(socket.OnError) {
        socket.OnDisconnect = [this, &connected](TObject*, TCustomWinSocket*) {
            connected = false;
            closed_ = true;
        };
        // The failure is thrown and judged by the attempt.
        socket.OnError = [](TObject*, TCustomWinSocket*, TErrorEvent, int&) {};
    }
    ~TQuietAttempts() {
        socket_.OnDisconnect = report_;
        socket_.OnError = errorReport_;
    }
    TQuietAttempts(const TQuietAttempts&) = delete;
    TQuietAttempts& operator=(const TQuietAttempts&) = delete;

    // No attempt opened: the session's one close report, as a failed open gives it.
    void ReportClose() {
        const TSocketNotifyEvent report = report_;
        if (closed_ && report)
            report(&socket_, socket_.Socket());
    }

private:
    TClientSocket& socket_;
    TSocketNotifyEvent report_;
    TSocketErrorEvent errorReport_;
    bool closed_ = false;
};

} // namespace

std::optional<TMbxPOP::TAttempt> TMbxPOP::NextGuess(const TAttempt& failed,
                                                    const TOpenFailure& failure, bool portGiven,
                                                    const TDefaultPorts& ports) {
    const TFailureCause cause = failure.Error.Cause;
    if (failed.How == TSecurity::Tls) {
        // A handshake answered in plain text ("+OK ..."): the port speaks POP3 with STLS.
        if (cause == TFailureCause::Tls)
            return TAttempt{failed.Port, TSecurity::StartTls, true};
        if (!portGiven && (cause == TFailureCause::Refused || cause == TFailureCause::Timeout))
            return TAttempt{ports.Plain, TSecurity::StartTls, true};
        return std::nullopt;
    }
    // No greeting: a TLS port waits for the client's handshake.
    if (failure.Silent)
        return TAttempt{failed.Port, TSecurity::Tls, false};
    return std::nullopt;
}

std::string TMbxPOP::TlsSummary() const {
    const TTlsLayer* tls = socket_->Socket()->Tls();
    return tls ? tls->Summary() : "";
}

void TMbxPOP::failOpen(const std::string& text, TFailureCause cause) {
    openError_ = text;
    openCause_ = cause;
    failed_ = true;
    socket_->Close();
    connected_ = false;
}

void TMbxPOP::openTcp(int port) {
    socket_->SetPort(port);
    if (IsDottedQuad(Host)) {
        socket_->SetAddress(DottedQuadDecimal(Host));
        socket_->SetHost("");
    } else {
        socket_->SetHost(Host);
        socket_->SetAddress("");
    }
    socket_->Open();
}

void TMbxPOP::startTls(int port) {
    socket_->Socket()->StartTls(TTlsSettings{Host, CaFile}, ConnectTimeout);
    const TTlsLayer& tls = *socket_->Socket()->Tls();
    if (tls.Verified())
        return;
    TCertificateInfo info = tls.Certificate();
    info.Host = Host;
    info.Port = port;
    if (!TrustedFingerprint.empty() &&
        ::strcasecmp(TrustedFingerprint.c_str(), info.Fingerprint.c_str()) == 0)
        return;
    info.Changed = !TrustedFingerprint.empty();
    const bool trusted = OnCertificateProblem && OnCertificateProblem(info);
    if (!trusted)
        throw ESocketError(std::string(kTextCertificateUntrusted) + ": " + info.VerifyError,
                           TFailureCause::Certificate);
    // The question may have taken long enough for the hook to close the session.
    if (!socket_->Socket()->Connected())
        throw ESocketError(SocketErrorText(ECANCELED, "SSL_connect"), TFailureCause::Other,
                           ECANCELED);
}

std::optional<TMbxPOP::TOpenFailure> TMbxPOP::openAttempt(const TAttempt& attempt) {
    try {
        openTcp(attempt.Port);
        if (connected_ && attempt.How == TSecurity::Tls)
            startTls(attempt.Port);
    } catch (const ESocketError& e) {
        return TOpenFailure{e, false};
    }
    try {
        if (connected_ && attempt.Probe)
            awaitGreeting();
    } catch (const ESocketError& e) {
        socket_->Close();
        return TOpenFailure{e, e.Cause == TFailureCause::Timeout};
    }
    return std::nullopt;
}

void TMbxPOP::awaitGreeting() {
    // Only the first bytes decide; they wait for the greeting's reading in pending_.
    const auto wait = std::min(pop3_timeouts::kGreetingProbe, ConnectTimeout);
    std::string first;
    try {
        first = receiveOnce(wait);
    } catch (const ESocketError& e) {
        if (e.Cause == TFailureCause::Timeout)
            throw ESocketError(kTextNoGreeting, TFailureCause::Timeout, ETIMEDOUT);
        throw;
    }
    if (first.empty())
        throw ESocketError(kTextClosedMidAnswer, TFailureCause::ConnectionLost, ECONNRESET);
    pending_ = std::move(first);
}

bool TMbxPOP::negotiateStls(int port) {
    // A server that refuses CAPA may still know STLS.
    RequestCapabilities();
    if (!connected_)
        return false;
    const bool offered = !Capabilities().Known || Capabilities().Stls;
    std::string reply;
    const bool accepted = offered && TryCommand("STLS", reply);
    if (!connected_)
        return false;
    if (!accepted) {
        if (Security == TSecurity::Auto) {
            if (OnPlainTextConsent && OnPlainTextConsent(Host, port) && connected_)
                return true;
            failOpen(kTextNoEncryption, TFailureCause::Insecure);
        } else {
            failOpen(offered ? kTextStlsRefused : kTextStlsNotOffered, TFailureCause::Insecure);
        }
        return false;
    }
    // Whatever follows "+OK" before the handshake was not sent by a server waiting for it.
    const size_t eol = reply.find("\r\n");
    if (eol + 2 != reply.size() || socket_->Socket()->ReceiveBytes(nullptr, -1) > 0) {
        failOpen(kTextInjected, TFailureCause::Insecure);
        return false;
    }
    try {
        startTls(port);
    } catch (const ESocketError& e) {
        failOpen(e.what(), e.Cause);
        return false;
    }
    // What the server said in plain text may have been forged.
    ForgetCapabilities();
    return true;
}

bool TMbxPOP::openByGuessing(TAttempt& attempt, bool portGiven) {
    TQuietAttempts quiet(*socket_, connected_);
    std::vector<TAttempt> tried;
    std::optional<TOpenFailure> shown;
    std::optional<TAttempt> next = attempt;
    while (next && tried.size() < 3) {
        attempt = *next;
        tried.push_back(attempt);
        std::optional<TOpenFailure> failure;
        try {
            failure = openAttempt(attempt);
        } catch (...) {
            quiet.ReportClose();
            throw;
        }
        if (!failure)
            return true;
        // A silent guess says less than the failure before it.
        if (!shown || !failure->Silent)
            shown = failure;
        next = NextGuess(attempt, *failure, portGiven, DefaultPorts);
        if (next && std::any_of(tried.begin(), tried.end(), [&](const TAttempt& t) {
                return t.Port == next->Port && t.How == next->How;
            }))
            next.reset();
    }
    quiet.ReportClose();
    failOpen(shown->Error.what(), shown->Error.Cause);
    return false;
}

void TMbxPOP::Connect() {
    messageCount_ = 0;
    pending_.clear();
    capabilities_ = {};
    topUse_ = TTopUse::Unknown;
    lastUsedRetr_ = false;
    quitState_ = TQuitState::NotSent;
    failed_ = false;
    openError_.clear();
    openCause_ = TFailureCause::Other;
    usedSecurity_ = TSecurity::None;
    usedPort_ = 0;
    socket_->ConnectTimeout = ConnectTimeout;

    const int given = GivenPort(Port);
    TAttempt attempt{given ? given : DefaultPort(Security, DefaultPorts), Security, false};
    if (Security == TSecurity::Auto) {
        // The first guess goes by the port: TLS on the TLS port, plain text with STLS on any
        // other, where the greeting must come within a few seconds.
        attempt.How = attempt.Port == DefaultPorts.Tls ? TSecurity::Tls : TSecurity::StartTls;
        attempt.Probe = attempt.How != TSecurity::Tls;
    }
    try {
        if (Security == TSecurity::Auto) {
            if (!openByGuessing(attempt, given != 0))
                return;
        } else if (auto failure = openAttempt(attempt)) {
            throw failure->Error;
        }
    } catch (const ESocketError& e) {
        failOpen(e.what(), e.Cause);
        return;
    } catch (const std::exception& e) {
        failOpen(e.what(), TFailureCause::Other);
        return;
    }
    if (!connected_)
        return;
    beginAnswer();
    std::string greeting;
    ReceiveText(greeting);
    if (!connected_ || failed_)
        return;
    if (attempt.How == TSecurity::StartTls && !negotiateStls(attempt.Port))
        return;
    usedSecurity_ = socket_->Socket()->Tls() ? attempt.How : TSecurity::None;
    usedPort_ = attempt.Port;
}
