#include "ClientSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <strings.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "HostLookup.h"

namespace {

enum class WaitResult { Ready, TimedOut, Closed };

} // namespace

std::string SocketErrorText(const std::string& description, int number, const std::string& api) {
    return "Windows-Socket-Fehler: " + description + " (" + std::to_string(number) +
           "), auf API '" + api + "'";
}

std::string SocketErrorText(int errorNumber, const std::string& api) {
    return SocketErrorText(std::strerror(errorNumber), errorNumber, api);
}

TFailureCause FailureCauseOf(int errorNumber) {
    switch (errorNumber) {
    case ECONNREFUSED:
        return TFailureCause::Refused;
    case ETIMEDOUT:
        return TFailureCause::Timeout;
    case ECONNRESET:
    case EPIPE:
    case ECONNABORTED:
        return TFailureCause::ConnectionLost;
    case EMSGSIZE:
        return TFailureCause::Bounds;
    default:
        return TFailureCause::Other;
    }
}

// --- TCustomWinSocket ---

TCustomWinSocket::~TCustomWinSocket() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool TCustomWinSocket::waitFor(short events, std::chrono::milliseconds timeout) {
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + timeout;
    for (;;) {
        if (fd_ < 0)
            return true; // closed from the hook: the caller sees the closed state
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        if (left.count() <= 0)
            return false;
        const auto slice = std::min(left, pop3_timeouts::kSlice);
        pollfd p{fd_, events, 0};
        const int r = ::poll(&p, 1, static_cast<int>(slice.count()));
        if (r > 0)
            return true; // readiness, hang-up or error: the next call reports which
        if (r < 0 && errno != EINTR)
            return true;
        if (r == 0 && WaitHook)
            WaitHook();
    }
}

void TCustomWinSocket::fail(TErrorEvent kind, int code, const char* api) {
    int errorCode = code;
    lastErrorText_ = SocketErrorText(code, api);
    if (errorReport_)
        errorReport_(kind, errorCode);
    Close();
    if (errorCode != 0)
        throw ESocketError(lastErrorText_, FailureCauseOf(errorCode), errorCode);
}

int TCustomWinSocket::SendBytes(const void* Buf, int Count) {
    std::lock_guard guard(lock_);
    if (!connected_ || Count <= 0)
        return 0;
    if (tls_)
        return sendTls(Buf, Count);
    return sendPlain(Buf, Count, MSG_NOSIGNAL);
}

int TCustomWinSocket::sendPlain(const void* Buf, int Count, int flags) {
    ssize_t sent;
    do {
        sent = ::send(fd_, Buf, static_cast<size_t>(Count), flags);
    } while (sent < 0 && errno == EINTR);
    if (sent < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            fail(eeSend, errno, "send");
        return 0;
    }
    return static_cast<int>(sent);
}

int TCustomWinSocket::SendNow(const void* Buf, int Count) {
    std::lock_guard guard(lock_);
    if (!connected_ || Count <= 0)
        return 0;
    if (tls_)
        return sendTlsNow(Buf, Count);
    sendWait_ = POLLOUT;
    return sendPlain(Buf, Count, MSG_NOSIGNAL | MSG_DONTWAIT);
}

void TCustomWinSocket::AwaitSendRoom() {
    std::lock_guard guard(lock_);
    if (connected_ && !waitFor(sendWait_, ReceiveTimeout))
        fail(eeSend, ETIMEDOUT, "send");
}

ssize_t TCustomWinSocket::recvNow(void* Buf, int Count) {
    ssize_t got;
    do {
        got = ::recv(fd_, Buf, static_cast<size_t>(Count), MSG_DONTWAIT);
    } while (got < 0 && errno == EINTR);
    return got;
}

int TCustomWinSocket::ReceiveBytes(void* Buf, int Count) {
    std::lock_guard guard(lock_);
    if (!connected_)
        return 0;
    if (Count == -1) {
        int waiting = 0;
        if (tls_)
            waiting = tls_->Pending();
        else if (::ioctl(fd_, FIONREAD, &waiting) < 0)
            waiting = 0;
        return static_cast<int>(ahead_.size()) + waiting;
    }
    if (Count <= 0)
        return 0;
    if (ahead_.empty()) {
        char* room = ahead_.Room();
        const int got =
            tls_ ? receiveTls(room, ReadAhead::kBlock) : receivePlain(room, ReadAhead::kBlock);
        ahead_.Filled(got > 0 ? static_cast<size_t>(got) : 0);
    }
    return static_cast<int>(ahead_.Take(Buf, static_cast<size_t>(Count)));
}

int TCustomWinSocket::receivePlain(void* Buf, int Count) {
    // Whatever is there is taken at once; the poll comes only when nothing is.
    ssize_t got = recvNow(Buf, Count);
    while (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!waitFor(POLLIN, ReceiveTimeout)) {
            fail(eeReceive, ETIMEDOUT, "recv");
            return 0;
        }
        if (!connected_)
            return 0;
        got = recvNow(Buf, Count);
    }
    if (got < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            fail(eeReceive, errno, "recv");
        return 0;
    }
    return static_cast<int>(got);
}

void TCustomWinSocket::failTls(TErrorEvent kind, const char* api) {
    if (tls_->SystemError() != 0) {
        fail(kind, tls_->SystemError(), api);
        return;
    }
    const std::string text = "TLS-Fehler: " + tls_->ErrorText();
    int errorCode = EPROTO;
    lastErrorText_ = text;
    if (errorReport_)
        errorReport_(kind, errorCode);
    Close();
    if (errorCode != 0)
        throw ESocketError(text, TFailureCause::Tls, EPROTO);
}

int TCustomWinSocket::sendTlsNow(const void* Buf, int Count) {
    int written = 0;
    const auto io = tls_->Write(Buf, Count, written);
    switch (io) {
    case TTlsLayer::TIo::Done:
        return written;
    case TTlsLayer::TIo::Closed:
        fail(eeSend, EPIPE, "SSL_write");
        return 0;
    case TTlsLayer::TIo::Failed:
        failTls(eeSend, "SSL_write");
        return 0;
    case TTlsLayer::TIo::WantRead:
    case TTlsLayer::TIo::WantWrite:
        sendWait_ = io == TTlsLayer::TIo::WantRead ? POLLIN : POLLOUT;
        return 0;
    }
    return 0;
}

int TCustomWinSocket::sendTls(const void* Buf, int Count) {
    // Writes may be partial; the caller of SendBytes gets all bytes sent or a failure.
    const auto* bytes = static_cast<const char*>(Buf);
    int done = 0;
    while (done < Count) {
        const int written = sendTlsNow(bytes + done, Count - done);
        if (!connected_)
            return done;
        done += written;
        if (written == 0 && !waitFor(sendWait_, ReceiveTimeout)) {
            fail(eeSend, ETIMEDOUT, "SSL_write");
            return done;
        }
        if (!connected_)
            return done;
    }
    return done;
}

int TCustomWinSocket::receiveTls(void* Buf, int Count) {
    // The read comes before any wait: the layer may hold decrypted bytes that poll cannot see.
    for (;;) {
        int got = 0;
        const auto io = tls_->Read(Buf, Count, got);
        if (io == TTlsLayer::TIo::Done)
            return got;
        if (io == TTlsLayer::TIo::Closed)
            return 0;
        if (io == TTlsLayer::TIo::Failed) {
            failTls(eeReceive, "SSL_read");
            return 0;
        }
        if (!waitFor(io == TTlsLayer::TIo::WantRead ? POLLIN : POLLOUT, ReceiveTimeout)) {
            fail(eeReceive, ETIMEDOUT, "recv");
            return 0;
        }
        if (!connected_)
            return 0;
    }
}

void TCustomWinSocket::StartTls(const TTlsSettings& Settings, std::chrono::milliseconds Timeout) {
    std::lock_guard guard(lock_);
    if (!connected_)
        throw ESocketError(SocketErrorText(ENOTCONN, "SSL_connect"), TFailureCause::Other,
                           ENOTCONN);
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + Timeout;
    try {
        // Plain bytes read ahead would be taken for the handshake's, or lost.
        if (!ahead_.empty())
            throw ESocketError(SocketErrorText(EPROTO, "SSL_connect"), TFailureCause::Insecure,
                               EPROTO);
        ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
        tls_ = std::make_unique<TTlsLayer>(fd_, Settings);
        for (;;) {
            const auto io = tls_->Handshake();
            if (io == TTlsLayer::TIo::Done)
                return;
            if (io == TTlsLayer::TIo::Closed)
                throw ESocketError(kTextTlsClosed, TFailureCause::Tls, ECONNRESET);
            if (io == TTlsLayer::TIo::Failed) {
                const int error = tls_->SystemError();
                throw ESocketError(std::string(kTextTlsFailed) + ": " +
                                       (error ? std::strerror(error) : tls_->ErrorText()),
                                   TFailureCause::Tls, error);
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
            if (left.count() <= 0 ||
                !waitFor(io == TTlsLayer::TIo::WantRead ? POLLIN : POLLOUT, left))
                throw ESocketError(kTextTlsTimeout, TFailureCause::Timeout, ETIMEDOUT);
            if (fd_ < 0)
                throw ESocketError(SocketErrorText(ECANCELED, "SSL_connect"), TFailureCause::Other,
                                   ECANCELED);
        }
    } catch (...) {
        Close();
        throw;
    }
}

void TCustomWinSocket::Close() {
    std::lock_guard guard(lock_);
    if (tls_) {
        tls_->Shutdown();
        tls_.reset();
    }
    if (fd_ < 0)
        return;
    // Mark closed before reporting, so a handler that closes again finds nothing to do.
    const int fd = fd_;
    fd_ = -1;
    connected_ = false;
    ahead_.clear();
    if (disconnectReport_)
        disconnectReport_();
    if (::close(fd) < 0 && errno != EINTR)
        throw ESocketError(SocketErrorText(errno, "closesocket"));
}

// --- TClientWinSocket ---

void TClientWinSocket::openSocket(int family) {
    tls_.reset();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0)
        throw ESocketError(kTextNoSocket);
}

bool TClientWinSocket::connectTo(const void* addr, unsigned addrLen,
                                 std::chrono::milliseconds timeout) {
    const int flags = ::fcntl(fd_, F_GETFL);
    ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
    if (::connect(fd_, static_cast<const sockaddr*>(addr), addrLen) < 0) {
        if (errno != EINPROGRESS)
            return false;
        if (!waitFor(POLLOUT, timeout)) {
            errno = ETIMEDOUT;
            return false;
        }
        if (fd_ < 0) {
            errno = ECANCELED;
            return false;
        }
        int error = 0;
        socklen_t len = sizeof error;
        ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &len);
        if (error != 0) {
            errno = error;
            return false;
        }
    }
    // Blocking from here on; every later wait is guarded by poll.
    ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK);
    // Commands go out as soon as they are written: a pipelined command sent while earlier
    // ones are unanswered must not wait for their acknowledgement.
    const int one = 1;
    ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return true;
}

void TClientWinSocket::Open(const std::string& Host, const std::string& Address, int Port,
                            const std::string& Service, std::chrono::milliseconds ConnectTimeout) {
    std::lock_guard guard(lock_);
    if (connected_)
        return;
    try {
        openSocket(AF_INET);
        if (lookupReport_)
            lookupReport_();

        int port = Port;
        if (!Service.empty()) {
            const servent* s = ::getservbyname(Service.c_str(), "tcp");
            port = s ? ntohs(static_cast<uint16_t>(s->s_port)) : 0;
        }
        std::vector<sockaddr_storage> candidates;
        if (!Host.empty()) {
            // Reported when nothing is found: a connect to the unset address 0.0.0.0 would
            // reach this machine.
            candidates = LookupHost(Host, ConnectTimeout, [this] {
                if (WaitHook)
                    WaitHook();
                return fd_ >= 0;
            });
        } else if (!Address.empty()) {
            sockaddr_storage ss{};
            auto* in = reinterpret_cast<sockaddr_in*>(&ss);
            in->sin_family = AF_INET;
            if (::inet_pton(AF_INET, Address.c_str(), &in->sin_addr) != 1)
                throw ESocketError(SocketErrorText(EINVAL, "connect"));
            candidates.push_back(ss);
        } else {
            throw ESocketError(kTextNoAddress);
        }
        for (auto& c : candidates) {
            if (c.ss_family == AF_INET)
                reinterpret_cast<sockaddr_in*>(&c)->sin_port = htons(static_cast<uint16_t>(port));
            else
                reinterpret_cast<sockaddr_in6*>(&c)->sin6_port = htons(static_cast<uint16_t>(port));
        }

        if (connectingReport_)
            connectingReport_();
        int lastError = EADDRNOTAVAIL;
        bool connected = false;
        for (size_t i = 0; i < candidates.size() && !connected; ++i) {
            const auto& c = candidates[i];
            if (i > 0 || c.ss_family != AF_INET)
                openSocket(c.ss_family);
            const socklen_t len =
                c.ss_family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
            connected = connectTo(&c, len, ConnectTimeout);
            if (!connected)
                lastError = errno;
            if (fd_ < 0)
                break; // closed from the wait hook
        }
        if (!connected)
            throw ESocketError(SocketErrorText(lastError, "connect"), FailureCauseOf(lastError),
                               lastError);
        connected_ = true;
        if (connectReport_)
            connectReport_();
    } catch (...) {
        Close();
        throw;
    }
}

// --- TClientSocket ---

TClientSocket::TClientSocket() : socket_(std::make_unique<TClientWinSocket>()) {
    TClientWinSocket* s = socket_.get();
    s->lookupReport_ = [this, s] {
        if (OnLookup)
            OnLookup(this, s);
    };
    s->connectingReport_ = [this, s] {
        if (OnConnecting)
            OnConnecting(this, s);
    };
    s->connectReport_ = [this, s] {
        active_ = true;
        if (OnConnect)
            OnConnect(this, s);
    };
    s->disconnectReport_ = [this, s] {
        active_ = false;
        if (OnDisconnect)
            OnDisconnect(this, s);
    };
    s->errorReport_ = [this, s](TErrorEvent kind, int& code) {
        if (OnError)
            OnError(this, s, kind, code);
    };
}

TClientSocket::~TClientSocket() = default;

void TClientSocket::checkInactive(bool unchanged) const {
    if (socket_->Connected() && !unchanged)
        throw ESocketError(kTextChangeWhileActive);
}

void TClientSocket::SetHost(const std::string& value) {
    checkInactive(::strcasecmp(value.c_str(), host_.c_str()) == 0);
    host_ = value;
}

void TClientSocket::SetAddress(const std::string& value) {
    checkInactive(::strcasecmp(value.c_str(), address_.c_str()) == 0);
    address_ = value;
}

void TClientSocket::SetPort(int value) {
    checkInactive(value == port_);
    port_ = value;
}

void TClientSocket::SetService(const std::string& value) {
    checkInactive(value == service_);
    service_ = value;
}

void TClientSocket::SetClientType(TClientType value) {
    checkInactive(value == clientType_);
    clientType_ = value;
}

void TClientSocket::SetActive(bool value) {
    if (value)
        socket_->Open(host_, address_, port_, service_, ConnectTimeout);
    else
        socket_->Close();
}
