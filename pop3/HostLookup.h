#pragma once

// The name lookup of a connect, run on a thread of its own so the caller's wait hook keeps
// the window alive, and bounded by a time-out.

#include <chrono>
#include <functional>
#include <vector>

#include <sys/socket.h>

// The IPv4 and IPv6 addresses of host, port unset. waitSlice runs between slices of the wait
// and returns false when the caller gave up. Throws ESocketError: HostNotFound when the name
// is unknown, Timeout after timeout, Other (ECANCELED) when given up.
std::vector<sockaddr_storage> LookupHost(const std::string& host, std::chrono::milliseconds timeout,
                                         const std::function<bool()>& waitSlice);
