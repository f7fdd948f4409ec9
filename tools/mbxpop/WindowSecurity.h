#pragma once

// mbxpop with --port and without --security: the security mode the window remembered for the
// account, so that a port speaking TLS is not first probed for a plain greeting (some seconds
// on every call).

#include <optional>
#include <string>

#include "Security.h"

// The mode of the newest account in the window's history whose server names this host (case
// aside) and port (a server without a port: its mode's default port) and whose user is user.
// Only tls and starttls are taken: plain text the user allowed in the window is not taken over
// unasked. Nothing when there is no such account or the settings cannot be read.
std::optional<TSecurity> RememberedSecurity(const std::string& host, int port,
                                            const std::string& user);
