#pragma once

// The OAuth2 provider of oauth2_stub.py on 127.0.0.1 for one test: it issues tokens by the
// code flow with PKCE and tells Dovecot (DovecotOAuth2) whether a token is good.
//
//   OAuth2Stub provider;
//   DovecotServer server("bob", "pw", mails, tls, DovecotOAuth2{provider.IntrospectionUrl()});
//   ... mbxpop --auth xoauth2 --token-command provider.TokenCommand("bob") ...
//
// The constructor throws std::runtime_error when the stub does not come up; the destructor
// stops it. Should the test process die first, the stub leaves on its own.

#include <string>

#include "PythonStub.h"

class OAuth2Stub {
public:
    OAuth2Stub();
    OAuth2Stub(const OAuth2Stub&) = delete;
    OAuth2Stub& operator=(const OAuth2Stub&) = delete;

    // "http://127.0.0.1:PORT", without a slash at the end.
    const std::string& Url() const { return url_; }
    std::string IntrospectionUrl() const { return url_ + "/introspect"; }
    // A shell command that signs user in and prints the access token on its first line; with
    // expiresIn (seconds, "0": expired at once) the token lives that long.
    std::string TokenCommand(const std::string& user, const std::string& expiresIn = {}) const;

private:
    PythonStub stub_;
    std::string url_;
};
