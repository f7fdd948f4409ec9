#pragma once

#include <ostream>

#include "EscapedLine.h"
#include "MbxPOP3.h"

// Writes every event of the session and every command sent to out, one line each; received
// bytes are escaped so that each receive stays on one line; the password of PASS and the lines
// of a SASL exchange (the token) are masked.
void AttachTrace(TMbxPOP& pop, std::ostream& out);

// After a good connect: the security in use and, when encrypted, the TLS version, the cipher,
// and the certificate's subject and SHA-256 fingerprint.
void TraceSecurity(TMbxPOP& pop, std::ostream& out);
