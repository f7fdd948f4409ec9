#pragma once

// A client aimed at a test's Dovecot: loopback, plain text, its user and password.

#include "DovecotServer.h"
#include "MbxPOP3.h"

#include <string>

inline void AimAt(TMbxPOP& pop, const DovecotServer& server) {
    pop.Host = "127.0.0.1";
    pop.Port = std::to_string(server.port());
    pop.Security = TSecurity::None;
    pop.UserId = server.user();
    pop.UserPasswd = server.password();
}
