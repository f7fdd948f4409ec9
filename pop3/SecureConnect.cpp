// TMbxPOP::Connect: the TCP connection, then TLS at once or after STLS, as Security asks.
#include <cerrno>
#include <exception>
#include <strings.h>

#include "MbxMIME.h"
#include "MbxPOP3.h"

namespace {

const char* const kTextCertificateUntrusted =
    "Das Zertifikat des Servers ist nicht vertrauenswürdig";
const char* const kTextNoEncryption =
    "Der Server bietet keine Verschlüsselung an (kein STLS); ohne Zustimmung wird nichts "
    "unverschlüsselt gesendet";
const char* const kTextStlsNotOffered = "Der Server bietet kein STLS an";
const char* const kTextStlsRefused = "Der Server hat STLS abgelehnt";
const char* const kTextInjected =
    "Nach der Antwort auf STLS kamen Daten vor dem TLS-Handshake; die Verbindung wird nicht "
    "verwendet";

// The port of Port when it is one, else 0.
int GivenPort(const std::string& text) {
    int32_t port = 0;
    return ParseInt32(text, port) && port > 0 && port <= 65535 ? port : 0;
}

} // namespace

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

bool TMbxPOP::openSecure(int port, TSecurity how, bool fallBack) {
    // A close in an attempt that another may follow is no end of the session: its report
    // waits until that is known.
    const TSocketNotifyEvent report = socket_->OnDisconnect;
    bool closed = false;
    if (fallBack)
        socket_->OnDisconnect = [this, &closed](TObject*, TCustomWinSocket*) {
            connected_ = false;
            closed = true;
        };
    bool retry = false;
    std::exception_ptr failure;
    try {
        openTcp(port);
        if (connected_ && how == TSecurity::Tls)
            startTls(port);
    } catch (const ESocketError& e) {
        retry =
            fallBack && (e.Cause == TFailureCause::Refused || e.Cause == TFailureCause::Timeout);
        if (!retry)
            failure = std::current_exception();
    } catch (...) {
        failure = std::current_exception();
    }
    socket_->OnDisconnect = report;
    if (closed && !retry && report)
        report(socket_.get(), socket_->Socket());
    if (failure)
        std::rethrow_exception(failure);
    return !retry;
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

void TMbxPOP::Connect() {
    messageCount_ = 0;
    pending_.clear();
    capabilities_ = {};
    topUse_ = TTopUse::Unknown;
    lastUsedRetr_ = false;
    failed_ = false;
    openError_.clear();
    openCause_ = TFailureCause::Other;
    usedSecurity_ = TSecurity::None;
    usedPort_ = 0;
    socket_->ConnectTimeout = ConnectTimeout;

    const int given = GivenPort(Port);
    int port = given ? given : DefaultPort(Security, DefaultPorts);
    // Auto takes TLS on the TLS port and STLS elsewhere; STLS refused is then a question, not
    // an end.
    TSecurity how = Security;
    if (Security == TSecurity::Auto)
        how = port == DefaultPorts.Tls ? TSecurity::Tls : TSecurity::StartTls;
    try {
        if (!openSecure(port, how, Security == TSecurity::Auto && !given)) {
            port = DefaultPorts.Plain;
            how = TSecurity::StartTls;
            openSecure(port, how, false);
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
    if (how == TSecurity::StartTls && !negotiateStls(port))
        return;
    usedSecurity_ = socket_->Socket()->Tls() ? how : TSecurity::None;
    usedPort_ = port;
}
