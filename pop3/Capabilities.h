#pragma once

// What the server says it can do (CAPA, RFC 2449). One value per session, kept by TMbxPOP;
// the parts that decide on TLS, pipelining, TOP or UTF8 read it from there.

#include <string>
#include <vector>

struct TCapabilities {
    bool Known = false; // a CAPA answer was read (false: not asked yet, or refused)
    bool Stls = false, Top = false, Pipelining = false, Utf8 = false, User = false, Uidl = false;
    std::vector<std::string> Lines; // the answer's capability lines as sent
    std::vector<std::string> Sasl;  // the mechanisms of the SASL line, as sent
};

// Whether the SASL line names this mechanism (without regard to case).
bool OffersSasl(const TCapabilities& caps, const char* mechanism);

// The whole answer to CAPA as received: the status line, the capability lines, the "." line.
// Known only when the status is "+OK". Names are matched without regard to case; arguments
// after a name are kept in Lines only. Lines starting with a dot are unstuffed.
TCapabilities ParseCapabilities(const std::string& multiLineAnswer);
