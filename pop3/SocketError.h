#pragma once

#include <stdexcept>
#include <string>

// Why a connection failed, so the window can tell the user in words of its own language; the
// exception's text stays the layer's own and serves as the detail line.
enum class TFailureCause {
    Other,          // anything not named below
    HostNotFound,   // the name lookup found no address
    Refused,        // the server refused the TCP connection
    Timeout,        // no answer within a time-out (connect, receive, handshake, lookup)
    ConnectionLost, // the server closed or reset the connection
    Tls,            // the TLS handshake or a TLS record failed
    Certificate,    // the server's certificate was not trusted
    Insecure,       // encryption was required but not offered, or bytes were injected
    Bounds,         // an answer broke a size or rate bound
};

// Every failure of the socket layer. Texts are the layer's own (see SocketErrorText).
class ESocketError : public std::runtime_error {
public:
    explicit ESocketError(const std::string& text, TFailureCause cause = TFailureCause::Other,
                          int errorNumber = 0)
        : std::runtime_error(text), Cause(cause), ErrorNumber(errorNumber) {}

    TFailureCause Cause;
    int ErrorNumber; // errno, or a lookup error code for HostNotFound; 0 when none
};

// The cause that an errno from connect, send or recv stands for.
TFailureCause FailureCauseOf(int errorNumber);
