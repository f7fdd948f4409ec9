#pragma once

struct ssl_ctx_st;

// Points the context at the system's trusted certificates, as OpenSSL's default paths do
// (SSL_CERT_FILE and SSL_CERT_DIR honoured), but without parsing the whole bundle file when
// the certificate folder is hashed: the folder is read certificate by certificate, as a chain
// needs it. False when nothing could be loaded.
bool LoadSystemTrust(ssl_ctx_st* ctx);
