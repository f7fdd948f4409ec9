#include "ScriptedServer.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kSliceMs = 20;
}

ScriptedServer::ScriptedServer() {
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0)
        throw std::runtime_error(std::string("ScriptedServer: socket: ") + std::strerror(errno));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
        ::listen(listenFd_, 4) < 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) < 0) {
        const int err = errno;
        ::close(listenFd_);
        throw std::runtime_error(std::string("ScriptedServer: listen: ") + std::strerror(err));
    }
    port_ = ntohs(addr.sin_port);
}

void ScriptedServer::ContextFree::operator()(ssl_ctx_st* ctx) const {
    SSL_CTX_free(ctx);
}
void ScriptedServer::SslFree::operator()(ssl_st* ssl) const {
    SSL_free(ssl);
}

void ScriptedServer::UseTls(const std::string& certFile, const std::string& keyFile) {
    tlsContext_.reset(SSL_CTX_new(TLS_server_method()));
    if (!tlsContext_ ||
        SSL_CTX_use_certificate_chain_file(tlsContext_.get(), certFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(tlsContext_.get(), keyFile.c_str(), SSL_FILETYPE_PEM) != 1)
        throw std::runtime_error("ScriptedServer: cannot use the certificate " + certFile);
}

ScriptedServer::~ScriptedServer() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    closeConnection();
    if (listenFd_ >= 0)
        ::close(listenFd_);
}

void ScriptedServer::Send(std::string bytes) {
    steps_.push_back(Step(StepKind::Send, std::move(bytes)));
}

void ScriptedServer::Pause(std::chrono::milliseconds pause) {
    steps_.push_back(Step(StepKind::Pause, {}, pause));
}
void ScriptedServer::AnswerEachLine(std::function<std::string(const std::string& line)> Answer,
                                    std::string Last) {
    steps_.push_back(Step(StepKind::AnswerEachLine, std::move(Last), {}, std::move(Answer)));
}

void ScriptedServer::UseSmallestBuffers() {
    // Accepted connections inherit the listening socket's sizes; the kernel rounds 1 up.
    const int smallest = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
    ::setsockopt(listenFd_, SOL_SOCKET, SO_SNDBUF, &smallest, sizeof smallest);
}

void ScriptedServer::AwaitLine() {
    steps_.push_back(Step(StepKind::AwaitLine));
}

void ScriptedServer::AwaitBytes() {
    steps_.push_back(Step(StepKind::AwaitBytes));
}
void ScriptedServer::AwaitClientClose() {
    steps_.push_back(Step(StepKind::AwaitClose));
}
void ScriptedServer::Close() {
    steps_.push_back(Step(StepKind::Close));
}
void ScriptedServer::Reset() {
    steps_.push_back(Step(StepKind::Reset));
}
void ScriptedServer::AcceptNext() {
    steps_.push_back(Step(StepKind::AcceptNext));
}

void ScriptedServer::Start() {
    if (thread_.joinable())
        throw std::logic_error("ScriptedServer: started twice");
    thread_ = std::thread([this] { run(); });
}

bool ScriptedServer::timedOut(std::chrono::steady_clock::time_point start) const {
    return std::chrono::steady_clock::now() - start > stepTimeout_;
}

void ScriptedServer::failScript(const std::string& why) {
    std::lock_guard lock(mutex_);
    if (scriptError_.empty())
        scriptError_ = why;
    changed_.notify_all();
}

bool ScriptedServer::accept() {
    closeConnection();
    const auto start = std::chrono::steady_clock::now();
    while (!stop_) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, kSliceMs) > 0) {
            connFd_ = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (connFd_ >= 0) {
                const int one = 1;
                ::setsockopt(connFd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                if (tlsContext_ && !handshake())
                    return false;
                std::lock_guard lock(mutex_);
                connReceived_.clear();
                lineScan_ = 0;
                clientClosed_ = false;
                ++connections_;
                changed_.notify_all();
                return true;
            }
        }
        if (timedOut(start)) {
            failScript("no client connected");
            return false;
        }
    }
    return false;
}

bool ScriptedServer::handshake() {
    // Blocking with a time-out: the client under test runs on another thread.
    const timeval limit{10, 0};
    ::setsockopt(connFd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(connFd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    tls_.reset(SSL_new(tlsContext_.get()));
    if (tls_ && SSL_set_fd(tls_.get(), connFd_) == 1 && SSL_accept(tls_.get()) == 1)
        return true;
    failScript("TLS handshake failed");
    ERR_clear_error();
    return false;
}

void ScriptedServer::closeConnection() {
    tls_.reset();
    if (connFd_ >= 0) {
        ::close(connFd_);
        connFd_ = -1;
    }
}

bool ScriptedServer::readSome() {
    if (connFd_ < 0)
        return false;
    pollfd p{connFd_, POLLIN, 0};
    if ((!tls_ || SSL_pending(tls_.get()) == 0) && ::poll(&p, 1, kSliceMs) <= 0)
        return true;
    char buffer[4096];
    const ssize_t n = tls_ ? SSL_read(tls_.get(), buffer, sizeof buffer)
                           : ::recv(connFd_, buffer, sizeof buffer, 0);
    // A TLS record without data (a ticket, a key update) is no close.
    if (tls_ && n <= 0 && SSL_get_error(tls_.get(), static_cast<int>(n)) == SSL_ERROR_WANT_READ)
        return true;
    std::lock_guard lock(mutex_);
    if (n <= 0) {
        if (n < 0 && errno == EINTR)
            return true;
        clientClosed_ = true;
        changed_.notify_all();
        return false;
    }
    received_.append(buffer, static_cast<size_t>(n));
    connReceived_.append(buffer, static_cast<size_t>(n));
    changed_.notify_all();
    return true;
}

bool ScriptedServer::sendAll(const std::string& bytes) {
    if (tls_)
        return bytes.empty() ||
               SSL_write(tls_.get(), bytes.data(), static_cast<int>(bytes.size())) > 0;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::send(connFd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return false;
        // A client that stops reading must not keep the destructor waiting.
        if (stop_)
            return false;
        pollfd p{connFd_, POLLOUT, 0};
        ::poll(&p, 1, kSliceMs);
    }
    return true;
}

bool ScriptedServer::runStep(const Step& step) {
    const auto start = std::chrono::steady_clock::now();
    switch (step.kind) {
    case StepKind::Send:
        if (connFd_ < 0) {
            failScript("Send without a connection");
            return false;
        }
        while (paced_ && clientRead_ < sentTotal_) {
            if (stop_)
                return false;
            if (timedOut(start)) {
                failScript("the client did not read what was sent before");
                return false;
            }
            if (!readSome() && clientRead_ < sentTotal_) {
                failScript("client closed before reading everything");
                return false;
            }
        }
        if (lockStepCheck_) {
            readSome();
            std::lock_guard lock(mutex_);
            if (connReceived_.size() > lineScan_) {
                scriptError_ =
                    "the client sent a line before its answer: " + connReceived_.substr(lineScan_);
                changed_.notify_all();
                return false;
            }
        }
        if (!sendAll(step.bytes)) {
            failScript(std::string("send failed: ") + std::strerror(errno));
            return false;
        }
        sentTotal_ += step.bytes.size();
        return true;
    case StepKind::AwaitLine:
    case StepKind::AwaitBytes:
        for (;;) {
            {
                std::lock_guard lock(mutex_);
                if (step.kind == StepKind::AwaitBytes && connReceived_.size() > lineScan_) {
                    lineScan_ = connReceived_.size();
                    return true;
                }
                const size_t eol = step.kind == StepKind::AwaitLine
                                       ? connReceived_.find("\r\n", lineScan_)
                                       : std::string::npos;
                if (eol != std::string::npos) {
                    lineScan_ = eol + 2;
                    return true;
                }
            }
            if (stop_)
                return false;
            if (timedOut(start)) {
                failScript("timed out waiting for a line or bytes from the client");
                return false;
            }
            if (!readSome()) {
                failScript("client closed while a line or bytes were awaited");
                return false;
            }
        }
    case StepKind::AwaitClose:
        while (readSome()) {
            if (stop_)
                return false;
            if (timedOut(start)) {
                failScript("timed out waiting for the client to close");
                return false;
            }
        }
        return true;
    case StepKind::Close:
        closeConnection();
        return true;
    case StepKind::Reset:
        if (connFd_ >= 0) {
            // A zero linger time makes close() send a reset instead of a normal end.
            const linger abort{1, 0};
            ::setsockopt(connFd_, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
        }
        closeConnection();
        return true;
    case StepKind::Pause:
        // Reading on meanwhile, so a client that gives up is seen at once.
        while (std::chrono::steady_clock::now() - start < step.pause)
            if (stop_ || !readSome())
                return !stop_;
        return true;
    case StepKind::AcceptNext:
        sentTotal_ = 0;
        clientRead_ = 0;
        return accept();
    case StepKind::AnswerEachLine:
        return answerEachLine(step);
    }
    return false;
}

bool ScriptedServer::answerEachLine(const Step& step) {
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        std::string answers;
        bool last = false;
        {
            std::lock_guard lock(mutex_);
            for (size_t eol;
                 !last && (eol = connReceived_.find("\r\n", lineScan_)) != std::string::npos;) {
                const std::string line = connReceived_.substr(lineScan_, eol - lineScan_);
                lineScan_ = eol + 2;
                answers += step.answer(line);
                last = line == step.bytes;
            }
        }
        if (!answers.empty()) {
            // No reading until every answer is out.
            if (!sendAll(answers)) {
                failScript(std::string("send failed: ") + std::strerror(errno));
                return false;
            }
            sentTotal_ += answers.size();
            start = std::chrono::steady_clock::now();
        }
        if (last)
            return true;
        if (stop_)
            return false;
        if (timedOut(start)) {
            failScript("timed out waiting for a line to answer");
            return false;
        }
        if (!readSome()) {
            failScript("client closed before the line " + step.bytes);
            return false;
        }
    }
}

void ScriptedServer::run() {
    bool ok = accept();
    for (size_t i = 0; ok && i < steps_.size(); ++i)
        ok = runStep(steps_[i]);
    {
        std::lock_guard lock(mutex_);
        scriptDone_ = ok;
        if (!ok && scriptError_.empty())
            scriptError_ = "stopped before the script ended";
        changed_.notify_all();
    }
    // Keep recording until the client closes or the server goes away.
    while (!stop_ && readSome()) {
    }
}

bool ScriptedServer::WaitForScriptEnd(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, timeout, [this] { return scriptDone_ || !scriptError_.empty(); });
    return scriptDone_;
}

bool ScriptedServer::WaitForClientClose(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return clientClosed_; });
}

std::string ScriptedServer::ScriptError() const {
    std::lock_guard lock(mutex_);
    return scriptError_;
}

std::string ScriptedServer::Received() const {
    std::lock_guard lock(mutex_);
    return received_;
}

std::vector<std::string> ScriptedServer::ReceivedLines() const {
    const std::string all = Received();
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t eol; (eol = all.find("\r\n", from)) != std::string::npos; from = eol + 2)
        lines.push_back(all.substr(from, eol - from));
    return lines;
}
