#include "Trace.h"

#include <memory>
#include <string>

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
        // The names are the server's own words.
        *o << "certificate not trusted: " << EscapedLine(c.VerifyError) << std::endl
           << "certificate subject " << EscapedLine(c.Subject) << std::endl
           << "certificate issuer " << EscapedLine(c.Issuer) << std::endl
           << "certificate valid " << EscapedLine(c.NotBefore) << " to " << EscapedLine(c.NotAfter)
           << std::endl
           << "certificate sha256 " << c.Fingerprint << std::endl;
        return false;
    };
    // OnError is left to the caller, which records refusals; it traces them itself.
}

void TraceSecurity(TMbxPOP& pop, std::ostream& out) {
    out << "security " << SecurityName(pop.UsedSecurity()) << " port " << pop.UsedPort()
        << std::endl;
    if (const TTlsLayer* tls = pop.ClientSocket().Socket()->Tls()) {
        out << "tls " << EscapedLine(tls->Summary()) << std::endl;
        out << "certificate sha256 " << tls->Certificate().Fingerprint << std::endl;
    }
}
