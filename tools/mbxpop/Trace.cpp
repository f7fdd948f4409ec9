#include "Trace.h"

#include <cstdio>
#include <memory>
#include <string>

std::string EscapedLine(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            if (b < 0x20 || b >= 0x7F) {
                char hex[5];
                std::snprintf(hex, sizeof hex, "\\x%02X", b);
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out;
}

void AttachTrace(TMbxPOP& pop, std::ostream& out) {
    std::ostream* o = &out;
    pop.OnConnect = [o](TObject*) { *o << "event connect" << std::endl; };
    pop.OnQuit = [o](TObject*) { *o << "event quit" << std::endl; };
    pop.OnLookup = [o](TObject*, TCustomWinSocket*) { *o << "event lookup" << std::endl; };
    pop.OnConnecting = [o](TObject*, TCustomWinSocket*) { *o << "event connecting" << std::endl; };
    pop.OnBeforeRetrieve = [o](TObject*, TMsgNumber n) {
        *o << "event before-retrieve " << n << std::endl;
    };
    pop.OnAfterRetrieve = [o](TObject*) { *o << "event after-retrieve" << std::endl; };
    pop.OnRetrieveProgress = [o](TObject*, uint16_t percent) {
        *o << "event progress " << percent << std::endl;
    };
    pop.OnDelete = [o](TObject*, TMsgNumber n) { *o << "event delete " << n << std::endl; };
    // Between AUTH and the server's final answer every line the client sends carries the
    // token or belongs to the exchange about it.
    auto inSasl = std::make_shared<bool>(false);
    pop.OnSendTextToSocket = [o, inSasl](TObject*, const std::string& s) {
        const bool pass = s.compare(0, 5, "PASS ") == 0;
        const bool masked = *inSasl;
        *inSasl |= s.compare(0, 5, "AUTH ") == 0;
        *o << "sent "
           << (pass     ? std::string("PASS ****\\r\\n")
               : masked ? std::string("****\\r\\n")
                        : EscapedLine(s))
           << std::endl;
    };
    pop.OnReceiveTextFromSocket = [o, inSasl](TObject*, const std::string& s) {
        if (s.compare(0, 3, "+OK") == 0 || s.compare(0, 4, "-ERR") == 0)
            *inSasl = false;
        *o << "received " << EscapedLine(s) << std::endl;
    };
    // A certificate that cannot be verified is shown, and not trusted: the tool never asks.
    pop.OnCertificateProblem = [o](const TCertificateInfo& c) {
        *o << "certificate not trusted: " << c.VerifyError << std::endl
           << "certificate subject " << c.Subject << std::endl
           << "certificate issuer " << c.Issuer << std::endl
           << "certificate valid " << c.NotBefore << " to " << c.NotAfter << std::endl
           << "certificate sha256 " << c.Fingerprint << std::endl;
        return false;
    };
    // OnError is left to the caller, which records refusals; it traces them itself.
}

void TraceSecurity(TMbxPOP& pop, std::ostream& out) {
    out << "security " << SecurityName(pop.UsedSecurity()) << " port " << pop.UsedPort()
        << std::endl;
    if (const TTlsLayer* tls = pop.ClientSocket().Socket()->Tls()) {
        out << "tls " << tls->Summary() << std::endl;
        out << "certificate sha256 " << tls->Certificate().Fingerprint << std::endl;
    }
}
