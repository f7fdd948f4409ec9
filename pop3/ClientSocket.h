#pragma once

// A blocking TCP client socket over POSIX sockets: lookup by name or dotted address, one send
// call per command, reads served from one receive of up to 64 KiB. Every wait is sliced with poll()
// so a hook can keep the user interface alive, and bounded by a time-out (Timeouts.h).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include <sys/types.h>

#include "ReadAhead.h"
#include "SocketError.h"
#include "Timeouts.h"
#include "TlsLayer.h"
#include "mbx_events.h"

// "Windows-Socket-Fehler: <description> (<number>), auf API '<api>'" with errno and strerror.
std::string SocketErrorText(int errorNumber, const std::string& api);
// The same with a description of its own (e.g. a lookup error's text).
std::string SocketErrorText(const std::string& description, int number, const std::string& api);

inline constexpr const char* kTextNoAddress = "Keine Adresse angegeben";
inline constexpr const char* kTextNoSocket = "Es kann kein neuer Socket erzeugt werden";
inline constexpr const char* kTextChangeWhileActive =
    "Der Wert kann nicht geändert werden, während der Socket aktiv ist";
inline constexpr const char* kTextTlsFailed = "Der TLS-Handshake ist fehlgeschlagen";
inline constexpr const char* kTextTlsClosed =
    "Die Verbindung wurde vom Server während des TLS-Handshakes geschlossen";
inline constexpr const char* kTextTlsTimeout =
    "Zeitüberschreitung: der Server hat den TLS-Handshake nicht beendet";

// Kind of a failed operation passed to the error event; eeGeneral is used for protocol errors.
enum TErrorEvent { eeGeneral = 0, eeSend = 1, eeReceive = 2 };
enum TClientType { ctNonBlocking, ctBlocking };

class TCustomWinSocket;
using TSocketNotifyEvent = std::function<void(TObject* Sender, TCustomWinSocket* Socket)>;
// The handler may set ErrorCode to 0 to suppress the exception that follows.
using TSocketErrorEvent = std::function<void(TObject* Sender, TCustomWinSocket* Socket,
                                             TErrorEvent ErrorEvent, int& ErrorCode)>;

// The connected stream socket. Send, receive and close hold one (re-entrant) lock.
class TCustomWinSocket : public TObject {
public:
    TCustomWinSocket() = default;
    TCustomWinSocket(const TCustomWinSocket&) = delete;
    TCustomWinSocket& operator=(const TCustomWinSocket&) = delete;
    // Closes an open socket without any report.
    ~TCustomWinSocket() override;

    // One send call with all Count bytes; 0 when not connected. A failure fires the error
    // report (eeSend), closes, and throws ESocketError unless the report cleared the code.
    int SendBytes(const void* Buf, int Count);
    // What the socket takes of Count bytes now, without waiting: 0 when it is full (or not
    // connected). A failure is reported and thrown as by SendBytes.
    int SendNow(const void* Buf, int Count);
    // Waits until SendNow can take bytes again; a wait past ReceiveTimeout is a send failure
    // (ETIMEDOUT), reported and thrown.
    void AwaitSendRoom();
    // One receive of at most Count bytes once data is there; 0 when not connected or when the
    // peer has closed. Count -1 returns the number of bytes waiting. Waiting longer than
    // ReceiveTimeout is a failure (ETIMEDOUT), reported like any receive failure (eeReceive).
    int ReceiveBytes(void* Buf, int Count);
    // Fires the disconnect report when a socket is open; a second call does nothing.
    void Close();

    bool Connected() const { return connected_; }
    int Handle() const { return fd_; }
    // The text of the last failure reported (what failed and the system's reason), set before
    // the error report runs.
    const std::string& LastErrorText() const { return lastErrorText_; }

    // From here on every send and receive goes through TLS: the handshake runs at once, its
    // waits sliced like all others and bounded by Timeout. A failure closes the socket and
    // throws ESocketError (cause Tls, or Timeout). The certificate is judged by the caller.
    void StartTls(const TTlsSettings& Settings, std::chrono::milliseconds Timeout);
    // The TLS layer while it is on, else nullptr.
    const TTlsLayer* Tls() const { return tls_.get(); }

    // Runs between poll slices while a connect or receive waits.
    std::function<void()> WaitHook;
    std::chrono::milliseconds ReceiveTimeout = pop3_timeouts::kReceive;

protected:
    friend class TClientSocket;
    // Wired by the owning component to its events.
    std::function<void()> disconnectReport_;
    std::function<void(TErrorEvent kind, int& code)> errorReport_;

    // Waits until fd is ready for events; false when the time-out passed first.
    bool waitFor(short events, std::chrono::milliseconds timeout);
    // One receive that does not wait; -1 with errno EAGAIN when nothing is there.
    ssize_t recvNow(void* Buf, int Count);
    // Error report, close, then throw unless the code was cleared.
    void fail(TErrorEvent kind, int code, const char* api);
    // One send call with these flags; 0 when the socket is full.
    int sendPlain(const void* Buf, int Count, int flags);
    int sendTls(const void* Buf, int Count);
    // One TLS write step: bytes written, 0 when the socket must be waited for (sendWait_).
    int sendTlsNow(const void* Buf, int Count);
    int receivePlain(void* Buf, int Count);
    int receiveTls(void* Buf, int Count);
    // A failed TLS step: a socket error as such, else a TLS failure (cause Tls).
    void failTls(TErrorEvent kind, const char* api);

    std::recursive_mutex lock_;
    int fd_ = -1;
    bool connected_ = false;
    std::string lastErrorText_;
    short sendWait_ = 0x004; // POLLOUT, or POLLIN when TLS must read before it can write
    ReadAhead ahead_;
    std::unique_ptr<TTlsLayer> tls_;
};

class TClientWinSocket : public TCustomWinSocket {
public:
    // Lookup (Host by name, else Address in dotted form), then a connect with a time-out,
    // trying each address found in turn. Failures throw ESocketError after the socket has
    // been closed again (which fires the disconnect report).
    void Open(const std::string& Host, const std::string& Address, int Port,
              const std::string& Service, std::chrono::milliseconds ConnectTimeout);

protected:
    friend class TClientSocket;
    std::function<void()> lookupReport_;
    std::function<void()> connectingReport_;
    std::function<void()> connectReport_;

private:
    void openSocket(int family);
    // True when connected; false (errno set) when this address failed.
    bool connectTo(const void* addr, unsigned addrLen, std::chrono::milliseconds timeout);
};

// The client socket component the POP3 client talks through.
class TClientSocket : public TObject {
public:
    TClientSocket();
    ~TClientSocket() override;

    const std::string& Host() const { return host_; }
    const std::string& Address() const { return address_; }
    int Port() const { return port_; }
    const std::string& Service() const { return service_; }
    TClientType ClientType() const { return clientType_; }
    // Changing any of these while active throws ESocketError (kTextChangeWhileActive),
    // unless the value stays the same (Host and Address compared ignoring case).
    void SetHost(const std::string& value);
    void SetAddress(const std::string& value);
    void SetPort(int value);
    void SetService(const std::string& value);
    void SetClientType(TClientType value);

    bool Active() const { return active_; }
    // True opens (nothing when already connected), False closes (nothing when closed).
    void SetActive(bool value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }

    TClientWinSocket* Socket() { return socket_.get(); }

    std::chrono::milliseconds ConnectTimeout = pop3_timeouts::kConnect;

    TSocketNotifyEvent OnLookup;
    TSocketNotifyEvent OnConnecting;
    TSocketNotifyEvent OnConnect;
    TSocketNotifyEvent OnDisconnect;
    TSocketErrorEvent OnError;

private:
    void checkInactive(bool unchanged) const;

    std::unique_ptr<TClientWinSocket> socket_;
    std::string host_;
    std::string address_;
    int port_ = 0;
    std::string service_;
    TClientType clientType_ = ctNonBlocking;
    bool active_ = false;
};
