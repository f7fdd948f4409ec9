#pragma once

// TPipeline: several commands in flight on one session (RFC 2449 PIPELINING), their answers
// read strictly in order through the session's own readers, so every bound holds for them too.
// The window is bounded in bytes of commands (TMbxPOP::PipelineBytes). Commands go out as far
// as the socket takes them without waiting, between the answers; a send waits only for the
// rest of the oldest command when every answer asked for is read, so a server that does not
// read while it writes cannot block the session.

#include <cstddef>
#include <deque>
#include <optional>
#include <string>

#include "AnswerReader.h"
#include "MbxPOP3.h"

class TPipeline {
public:
    explicit TPipeline(TMbxPOP& pop);

    // Room for a command of Bytes more bytes (CR LF included); always room when none is in
    // flight. Once full, room comes back when half the window is answered, so commands go
    // out in large sends rather than one short packet per answer.
    bool HasRoom(size_t Bytes);
    // Queues a command (without CR LF); it goes out with the next Push or Next. A multi-line
    // answer may hold the session's header budget unless Budget says otherwise; with Cut its
    // body is cut as a listing's TOP n L is (TMbxPOP::GetMsgTop).
    void Queue(const std::string& Command, bool MultiLine,
               std::optional<TAnswerBudget> Budget = std::nullopt,
               std::optional<TMbxPOP::TBodyCut> Cut = std::nullopt);
    // Sends what the socket takes of the queued commands now, without waiting.
    void Push();
    bool InFlight() const { return !flight_.empty(); }

    // Reads the oldest answer in flight (sending the rest of its command first), then pushes
    // on. True on "+OK"; false on a refusal or when the server is gone (then the session's
    // Connected tells which).
    bool Next(std::string& Answer);
    // After a refused answer: nothing more is sent, the answers to the commands sent whole are
    // read and dropped, then the session ends as for any refusal (OnError with ErrorCode and
    // the refused answer's text, no QUIT).
    void EndAfterRefusal(int ErrorCode);

private:
    struct TInFlight {
        bool MultiLine;
        size_t End; // offset in out_ just after the command's CR LF
        std::optional<TAnswerBudget> Budget;
        std::optional<TMbxPOP::TBodyCut> Cut;
    };
    TAnswerBudget budgetOf(const TInFlight& command) const;
    // The oldest command in flight has gone out whole.
    bool oldestSent() const { return sent_ >= flight_.front().End; }

    TMbxPOP& pop_;
    std::deque<TInFlight> flight_;
    std::string out_;     // the commands not answered yet, from answered_ on
    size_t sent_ = 0;     // bytes of out_ that went out
    size_t answered_ = 0; // bytes of out_ whose answers were read
    bool filling_ = true;
};
