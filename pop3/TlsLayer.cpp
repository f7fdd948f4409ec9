#include "TlsLayer.h"

#include <cerrno>
#include <csignal>
#include <ctime>

#include <arpa/inet.h>
#include <pthread.h>

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include "SocketError.h"
#include "TrustStore.h"

namespace {

// OpenSSL writes with write(), which raises SIGPIPE on a closed connection; the plain socket
// sends with MSG_NOSIGNAL. So SIGPIPE is blocked for this thread during each call, and one
// raised meanwhile is taken off again before unblocking.
class SigPipeGuard {
public:
    SigPipeGuard() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &pipe_, &old_);
    }
    ~SigPipeGuard() {
        if (!wasPending_) {
            sigset_t pending;
            sigpending(&pending);
            if (sigismember(&pending, SIGPIPE) == 1) {
                const timespec now{0, 0};
                sigtimedwait(&pipe_, nullptr, &now);
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigPipeGuard(const SigPipeGuard&) = delete;
    SigPipeGuard& operator=(const SigPipeGuard&) = delete;

private:
    sigset_t pipe_{};
    sigset_t old_{};
    bool wasPending_ = false;
};

// Every queued OpenSSL error in words, oldest first; the queue is left empty.
std::string DrainErrors() {
    std::string text;
    while (const unsigned long e = ERR_get_error()) {
        char buffer[256];
        ERR_error_string_n(e, buffer, sizeof buffer);
        if (!text.empty())
            text += "; ";
        text += buffer;
    }
    return text;
}

std::string NameText(const X509_NAME* name) {
    if (!name)
        return "";
    BIO* bio = BIO_new(BIO_s_mem());
    if (!bio)
        return "";
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_RFC2253);
    char* data = nullptr;
    const long size = BIO_get_mem_data(bio, &data);
    std::string text(data, size > 0 ? static_cast<size_t>(size) : 0);
    BIO_free(bio);
    return text;
}

std::string TimeText(const ASN1_TIME* time) {
    tm t{};
    if (!time || ASN1_TIME_to_tm(time, &t) != 1)
        return "";
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S UTC", &t);
    return buffer;
}

std::string Sha256Fingerprint(X509* cert) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (X509_digest(cert, EVP_sha256(), digest, &size) != 1)
        return "";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        if (i > 0)
            text += ':';
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0F];
    }
    return text;
}

bool IsIpLiteral(const std::string& host) {
    unsigned char address[16];
    return ::inet_pton(AF_INET, host.c_str(), address) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), address) == 1;
}

[[noreturn]] void SetupFailure(const std::string& what) {
    throw ESocketError("TLS kann nicht eingerichtet werden: " + what + " (" + DrainErrors() + ")",
                       TFailureCause::Tls);
}

} // namespace

void TTlsLayer::ContextFree::operator()(ssl_ctx_st* ctx) const {
    SSL_CTX_free(ctx);
}

void TTlsLayer::SslFree::operator()(ssl_st* ssl) const {
    SSL_free(ssl);
}

TTlsLayer::TTlsLayer(int fd, const TTlsSettings& settings) {
    ERR_clear_error();
    ctx_.reset(SSL_CTX_new(TLS_client_method()));
    if (!ctx_)
        SetupFailure("SSL_CTX_new");
    SSL_CTX_set_min_proto_version(ctx_.get(), TLS1_2_VERSION);
    // The end of the stream is judged by the POP3 layer, which knows where an answer ends.
    SSL_CTX_set_options(ctx_.get(), SSL_OP_IGNORE_UNEXPECTED_EOF);
    // Whole records per socket read; the POP3 layer asks for 1 KiB at a time.
    SSL_CTX_set_read_ahead(ctx_.get(), 1);
    if (!LoadSystemTrust(ctx_.get()))
        SetupFailure("default verify paths");
    if (!settings.CaFile.empty() &&
        SSL_CTX_load_verify_locations(ctx_.get(), settings.CaFile.c_str(), nullptr) != 1)
        SetupFailure("CA file " + settings.CaFile);
    // The handshake completes either way so the certificate can be shown; the verification
    // result is judged before anything is sent.
    SSL_CTX_set_verify(ctx_.get(), SSL_VERIFY_NONE, nullptr);

    ssl_.reset(SSL_new(ctx_.get()));
    if (!ssl_ || SSL_set_fd(ssl_.get(), fd) != 1)
        SetupFailure("SSL_new");
    // Pipelined commands are written as far as the socket takes them; the rest follows later
    // from a buffer that may have grown (and moved) meanwhile.
    SSL_set_mode(ssl_.get(), SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl_.get());
    if (IsIpLiteral(settings.Host)) {
        if (X509_VERIFY_PARAM_set1_ip_asc(param, settings.Host.c_str()) != 1)
            SetupFailure("address " + settings.Host);
    } else {
        X509_VERIFY_PARAM_set_hostflags(param, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        if (X509_VERIFY_PARAM_set1_host(param, settings.Host.c_str(), settings.Host.size()) != 1 ||
            SSL_set_tlsext_host_name(ssl_.get(), settings.Host.c_str()) != 1)
            SetupFailure("host name " + settings.Host);
    }
    SSL_set_connect_state(ssl_.get());
}

TTlsLayer::~TTlsLayer() = default;

TTlsLayer::TIo TTlsLayer::result(int rc) {
    const int error = SSL_get_error(ssl_.get(), rc);
    switch (error) {
    case SSL_ERROR_WANT_READ:
        return TIo::WantRead;
    case SSL_ERROR_WANT_WRITE:
        return TIo::WantWrite;
    case SSL_ERROR_ZERO_RETURN:
        return TIo::Closed;
    case SSL_ERROR_SYSCALL:
        systemError_ = errno;
        errorText_ = DrainErrors();
        if (systemError_ == 0 && errorText_.empty())
            return TIo::Closed;
        return TIo::Failed;
    default:
        systemError_ = 0;
        errorText_ = DrainErrors();
        if (errorText_.empty())
            errorText_ = "SSL error " + std::to_string(error);
        return TIo::Failed;
    }
}

TTlsLayer::TIo TTlsLayer::Handshake() {
    SigPipeGuard guard;
    ERR_clear_error();
    errno = 0;
    const int rc = SSL_do_handshake(ssl_.get());
    return rc == 1 ? TIo::Done : result(rc);
}

TTlsLayer::TIo TTlsLayer::Read(void* buf, int count, int& got) {
    SigPipeGuard guard;
    ERR_clear_error();
    errno = 0;
    got = 0;
    const int rc = SSL_read(ssl_.get(), buf, count);
    if (rc <= 0)
        return result(rc);
    got = rc;
    // Servers send records of a few KiB: the ones already there are taken under the same
    // guard. Whatever stops this (nothing more yet, the end, an error) shows again next time.
    while (got < count) {
        const int more = SSL_read(ssl_.get(), static_cast<char*>(buf) + got, count - got);
        if (more <= 0)
            break;
        got += more;
    }
    ERR_clear_error();
    return TIo::Done;
}

TTlsLayer::TIo TTlsLayer::Write(const void* buf, int count, int& written) {
    SigPipeGuard guard;
    ERR_clear_error();
    errno = 0;
    written = 0;
    const int rc = SSL_write(ssl_.get(), buf, count);
    if (rc > 0) {
        written = rc;
        return TIo::Done;
    }
    return result(rc);
}

int TTlsLayer::Pending() const {
    return SSL_pending(ssl_.get());
}

void TTlsLayer::Shutdown() {
    SigPipeGuard guard;
    if (SSL_is_init_finished(ssl_.get()))
        SSL_shutdown(ssl_.get());
    ERR_clear_error();
}

bool TTlsLayer::Verified() const {
    return SSL_get0_peer_certificate(ssl_.get()) && SSL_get_verify_result(ssl_.get()) == X509_V_OK;
}

TCertificateInfo TTlsLayer::Certificate() const {
    TCertificateInfo info;
    X509* cert = SSL_get0_peer_certificate(ssl_.get());
    if (!cert) {
        info.VerifyCode = TCertificateInfo::NoCertificate;
        info.VerifyError = "no certificate";
        return info;
    }
    info.Subject = NameText(X509_get_subject_name(cert));
    info.Issuer = NameText(X509_get_issuer_name(cert));
    info.NotBefore = TimeText(X509_get0_notBefore(cert));
    info.NotAfter = TimeText(X509_get0_notAfter(cert));
    info.Fingerprint = Sha256Fingerprint(cert);
    const long result = SSL_get_verify_result(ssl_.get());
    if (result != X509_V_OK) {
        info.VerifyCode = result;
        info.VerifyError = X509_verify_cert_error_string(result);
    }
    return info;
}

std::string TTlsLayer::Summary() const {
    std::string text = std::string(SSL_get_version(ssl_.get())) + ", " +
                       SSL_CIPHER_get_name(SSL_get_current_cipher(ssl_.get()));
    if (X509* cert = SSL_get0_peer_certificate(ssl_.get()))
        text += ", " + NameText(X509_get_subject_name(cert));
    return text;
}
