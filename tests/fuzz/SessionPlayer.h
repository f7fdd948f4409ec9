#pragma once

// Plays bytes as the server's side of one whole POP3 session against a TMbxPOP on loopback,
// with short time-outs and small budgets, and says what went wrong. The client runs a whole
// session: greeting, the login (USER, PASS, CAPA, UTF8 when listed), STAT, TOP n 0 and list n
// for the first three mails, mail 1 whole (LIST, then TOP or RETR), DELE 1, QUIT, stopping
// where the session ends.
//
// The script is a series of records, each a kind byte, a length byte and that many bytes:
//   kind % 4 == 0  wait for the client's next command line, then send the bytes
//   kind % 4 == 1  send the bytes at once
//   kind % 4 == 2  pause for `length` milliseconds (reading on); the record has no bytes
//   kind % 4 == 3  close the connection; the rest of the script is ignored
// Bytes are sent in pieces of kind / 4 % 16 bytes each (0: all in one send). A record cut
// short by the end of the script sends what there is. When the script ends without a close
// the server goes quiet until the client gives up.

#include <chrono>
#include <string>
#include <string_view>

struct TPlayLimits {
    std::chrono::milliseconds Receive{30};
    uint64_t MinRate = 64 * 1024; // bytes per second
    uint64_t Budget = 64 * 1024;  // header answers, retrieval slack and unlisted retrievals
};

// "" when the session kept every rule: ended within its time bound, left no temporary file
// and no open descriptor, and failed only in the documented ways. Otherwise what broke.
// Crashes, leaks and undefined behaviour are left to the sanitizers. The temporary folder
// (TMPDIR) must be empty when it starts.
std::string PlayServerSession(std::string_view script, const TPlayLimits& limits = {});
