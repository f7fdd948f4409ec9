#pragma once

// TLS over a connected, non-blocking socket: the handshake and then the same read/write surface
// as the socket, one step at a time, so the socket can keep slicing its waits with poll().
// Verification (trust store, optional extra anchors, host name or IP address) happens during
// the handshake; its result is read afterwards and the trust decision is the caller's.

#include <memory>
#include <string>

#include "CertificateInfo.h"

struct ssl_ctx_st;
struct ssl_st;

struct TTlsSettings {
    std::string Host;   // the name or address the certificate must match; SNI for names
    std::string CaFile; // extra PEM trust anchors besides the system's; may be empty
};

class TTlsLayer {
public:
    // What one step did: done, needs the socket readable or writable, peer closed, or failed.
    enum class TIo { Done, WantRead, WantWrite, Closed, Failed };

    // Prepares a client session on fd. Throws ESocketError (cause Tls) when the settings
    // cannot be used, e.g. an unreadable CaFile.
    TTlsLayer(int fd, const TTlsSettings& settings);
    ~TTlsLayer();
    TTlsLayer(const TTlsLayer&) = delete;
    TTlsLayer& operator=(const TTlsLayer&) = delete;

    TIo Handshake();
    TIo Read(void* buf, int count, int& got);
    TIo Write(const void* buf, int count, int& written);
    // Decrypted bytes held by the layer that the socket will not signal as readable.
    int Pending() const;
    // Sends close_notify if it can go out at once; never waits.
    void Shutdown();

    // After Failed: OpenSSL's reason in words, and errno when the socket itself failed.
    const std::string& ErrorText() const { return errorText_; }
    int SystemError() const { return systemError_; }

    // After the handshake: whether the chain and the name were verified, the certificate's
    // details (Host and Port left to the caller), and "version, cipher, subject".
    bool Verified() const;
    TCertificateInfo Certificate() const;
    std::string Summary() const;

private:
    TIo result(int rc);

    struct ContextFree {
        void operator()(ssl_ctx_st* ctx) const;
    };
    struct SslFree {
        void operator()(ssl_st* ssl) const;
    };
    std::unique_ptr<ssl_ctx_st, ContextFree> ctx_;
    std::unique_ptr<ssl_st, SslFree> ssl_;
    std::string errorText_;
    int systemError_ = 0;
};
