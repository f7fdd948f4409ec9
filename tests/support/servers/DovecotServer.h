#pragma once

// A private Dovecot POP3 server on 127.0.0.1 for one test, built on scripts/dovecot-sandbox.
//
//   DovecotServer server("bob", "secret", {mail1, mail2, mail3}); // raw mails, bytes as stored
//   pop.Host = "127.0.0.1";
//   pop.Port = std::to_string(server.port());
//   ... log in as bob/secret: POP3 message n is the n-th mail given ...
//   EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{2})); // after QUIT
//
// Each instance has its own folder under $TMPDIR (else /tmp) and a free port, so tests can run
// in parallel. The constructor throws std::runtime_error when the server does not come up;
// the destructor stops it, waits until none of its processes is left and removes the folder.
// Should the test process die before that, a detached watcher does the same.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Empty when Dovecot can be started here, else why not. Asked once per test program.
const std::string& DovecotMissing();

// A test that needs Dovecot starts with this: without one it is skipped, not failed.
#define SKIP_WITHOUT_DOVECOT()                                                                     \
    if (const std::string& dovecotMissing_ = DovecotMissing(); !dovecotMissing_.empty())           \
    GTEST_SKIP() << "dovecot not installed: " << dovecotMissing_

// With a certificate and key (PEM files), the server offers STLS on port() and POP3 over TLS
// on tlsPort().
struct DovecotTls {
    std::string CertFile;
    std::string KeyFile;
};

// With an introspection URL (OAuth2Stub::IntrospectionUrl()), the server also signs in with
// SASL XOAUTH2 and OAUTHBEARER, asking that URL whether a token is good and whose it is.
struct DovecotOAuth2 {
    std::string IntrospectionUrl;
};

class DovecotServer {
public:
    DovecotServer(std::string user, std::string password, const std::vector<std::string>& mails,
                  const DovecotTls& tls = {}, const DovecotOAuth2& oauth2 = {});
    ~DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    uint16_t port() const { return port_; }
    // The POP3-over-TLS port; 0 without TLS.
    uint16_t tlsPort() const { return tlsPort_; }
    const std::string& user() const { return user_; }
    const std::string& password() const { return password_; }
    // The sandbox folder (configuration, log, Maildir).
    const std::string& folder() const { return folder_; }

    // The numbers (1-based, as given to the constructor) of the mails still in the mailbox,
    // ascending. Meaningful once the POP3 session has ended.
    std::vector<int> RemainingMessages() const { return messages(false); }
    // Those of them that carry the \Seen flag (Dovecot sets it for RETR at QUIT).
    std::vector<int> SeenMessages() const { return messages(true); }
    // The server's log, for failure messages.
    std::string Log() const;

    // Delivers more mails; they take the numbers after those given so far.
    void AddMails(const std::vector<std::string>& mails);

    // Stops the server now; the destructor does nothing more than remove the folder then.
    void Stop();

private:
    std::vector<int> messages(bool seenOnly) const;
    std::string maildir() const;

    std::string user_;
    std::string password_;
    std::string folder_;
    uint16_t port_ = 0;
    uint16_t tlsPort_ = 0;
    bool running_ = false;
    size_t mailCount_ = 0;
};
