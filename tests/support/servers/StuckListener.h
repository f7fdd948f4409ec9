#pragma once

// A loopback port that is bound but not listening, so connects to it are refused while the
// port stays reserved for the test. After ListenAndFill it listens without ever accepting,
// its one-slot queue filled, so further connects hang in the handshake.

#include <cstdint>
#include <vector>

class StuckListener {
public:
    StuckListener();
    ~StuckListener();
    StuckListener(const StuckListener&) = delete;
    StuckListener& operator=(const StuckListener&) = delete;

    uint16_t port() const { return port_; }
    void ListenAndFill();

private:
    int fd_ = -1;
    uint16_t port_ = 0;
    std::vector<int> fillers_;
};
