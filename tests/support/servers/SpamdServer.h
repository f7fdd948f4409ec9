#pragma once

// A private SpamAssassin spamd on 127.0.0.1 for one test, built on scripts/spamd-sandbox:
// its own site configuration (local tests only, no network), its own folder under $TMPDIR
// (else /tmp) and a free port.
//
//   if (!SpamdServer::Installed()) GTEST_SKIP() << "spamd is not installed";
//   SpamdServer spamd;
//   config.Address = spamd.address(); // "127.0.0.1:PORT"
//
// The constructor throws std::runtime_error when spamd does not come up; the destructor stops
// it and removes the folder.

#include <cstdint>
#include <string>

class SpamdServer {
public:
    explicit SpamdServer(unsigned children = 2);
    ~SpamdServer();
    SpamdServer(const SpamdServer&) = delete;
    SpamdServer& operator=(const SpamdServer&) = delete;

    // spamd and spamc are there to be run.
    static bool Installed();

    uint16_t port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    // spamd's log, for failure messages.
    std::string Log() const;

private:
    std::string folder_;
    uint16_t port_ = 0;
    bool running_ = false;
};
