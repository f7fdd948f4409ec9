#include "StuckListener.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in Loopback(uint16_t port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    return addr;
}

} // namespace

StuckListener::StuckListener() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = Loopback(0);
    socklen_t len = sizeof addr;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) < 0) {
        const int err = errno;
        if (fd_ >= 0)
            ::close(fd_);
        throw std::runtime_error(std::string("StuckListener: ") + std::strerror(err));
    }
    port_ = ntohs(addr.sin_port);
}

StuckListener::~StuckListener() {
    for (int fd : fillers_)
        ::close(fd);
    ::close(fd_);
}

void StuckListener::ListenAndFill() {
    ::listen(fd_, 0);
    const sockaddr_in addr = Loopback(port_);
    for (int i = 0; i < 2; ++i) {
        const int c = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(c, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
        fillers_.push_back(c);
    }
}
