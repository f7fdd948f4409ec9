#include "IdleSession.h"

#include <poll.h>

#include "MbxPOP3.h"

bool IdleSessionAlive(TMbxPOP& pop) {
    if (!pop.Connected())
        return false;
    TClientWinSocket* socket = pop.ClientSocket().Socket();
    if (!socket || socket->Handle() < 0)
        return false;
    pollfd ready{socket->Handle(), POLLIN, 0};
    if (::poll(&ready, 1, 0) == 0)
        return true;
    // Whatever came is not an answer to anything: no command can follow on this session.
    pop.ClientSocket().Close();
    return false;
}
