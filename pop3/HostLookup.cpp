#include "HostLookup.h"

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <netdb.h>

#include "ClientSocket.h"

namespace {

// Shared with the lookup thread, which may outlive a caller that gave up waiting.
struct LookupState {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    int rc = 0;
    int systemError = 0;
    std::vector<sockaddr_storage> found;
};

void Resolve(const std::shared_ptr<LookupState>& state, const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &list);
    const int systemError = errno;
    std::vector<sockaddr_storage> found;
    for (addrinfo* a = rc == 0 ? list : nullptr; a; a = a->ai_next) {
        if (a->ai_family != AF_INET && a->ai_family != AF_INET6)
            continue;
        sockaddr_storage ss{};
        std::memcpy(&ss, a->ai_addr, a->ai_addrlen);
        found.push_back(ss);
    }
    if (list)
        ::freeaddrinfo(list);
    std::lock_guard guard(state->mutex);
    state->rc = rc;
    state->systemError = systemError;
    state->found = std::move(found);
    state->finished = true;
    state->done.notify_all();
}

} // namespace

std::vector<sockaddr_storage> LookupHost(const std::string& host, std::chrono::milliseconds timeout,
                                         const std::function<bool()>& waitSlice) {
    auto state = std::make_shared<LookupState>();
    std::thread(Resolve, state, host).detach();

    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::unique_lock lock(state->mutex);
    while (!state->done.wait_for(lock, pop3_timeouts::kSlice, [&] { return state->finished; })) {
        if (std::chrono::steady_clock::now() >= deadline)
            throw ESocketError(SocketErrorText(ETIMEDOUT, "getaddrinfo"), TFailureCause::Timeout,
                               ETIMEDOUT);
        lock.unlock();
        const bool goOn = !waitSlice || waitSlice();
        lock.lock();
        if (!goOn)
            throw ESocketError(SocketErrorText(ECANCELED, "getaddrinfo"), TFailureCause::Other,
                               ECANCELED);
    }
    const int rc = state->rc;
    if (rc != 0) {
        const bool system = rc == EAI_SYSTEM;
        throw ESocketError(
            SocketErrorText(system ? std::strerror(state->systemError) : ::gai_strerror(rc), rc,
                            "getaddrinfo"),
            system ? FailureCauseOf(state->systemError) : TFailureCause::HostNotFound, rc);
    }
    return std::move(state->found);
}
