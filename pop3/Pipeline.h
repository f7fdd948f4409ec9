#pragma once

// TPipeline: several commands in flight on one session (RFC 2449 PIPELINING), their answers
// read strictly in order through the session's own readers, so every bound holds for them too.
// The window is bounded in commands and in bytes, so a send never waits for a server that
// itself waits for us to read: what is in flight always fits into the socket buffers.

#include <cstddef>
#include <deque>
#include <string>

class TMbxPOP;

class TPipeline {
public:
    // Bytes of commands in flight at most, whatever the session's window in commands.
    static constexpr size_t kMaxBytesInFlight = 2048;

    explicit TPipeline(TMbxPOP& pop);

    // Room for Commands more commands (queued ones count as in flight).
    bool HasRoom(size_t Commands) const;
    // Queues a command (without CR LF) for the next Flush.
    void Queue(const std::string& Command, bool MultiLine);
    // Sends every queued command with one send.
    void Flush();
    bool InFlight() const { return !flight_.empty(); }

    // Reads the oldest answer in flight. True on "+OK"; false on a refusal or when the server
    // is gone (then the session's Connected tells which).
    bool Next(std::string& Answer);
    // After a refused answer: nothing more is sent, the answers still in flight are read and
    // dropped, then the session ends as for any refusal (OnError with ErrorCode and the refused
    // answer's text, no QUIT).
    void EndAfterRefusal(int ErrorCode);

private:
    struct TInFlight {
        bool MultiLine;
        size_t Bytes;
    };
    TMbxPOP& pop_;
    std::deque<TInFlight> flight_;
    std::string queued_;
    size_t bytes_ = 0;
};
