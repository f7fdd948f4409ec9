// The listing and the deletion pass over many mails, pipelined where the server allows it.
#include <stdexcept>
#include <string>

#include "MbxPOP3.h"
#include "Pipeline.h"

namespace {

std::string Numbered(const char* command, unsigned n, const char* suffix = "") {
    return command + std::to_string(n) + suffix;
}

} // namespace

TMbxPOP::TPassEnd TMbxPOP::ListMails(TMsgNumber Count, const TListedRow& Row,
                                     const std::function<bool()>& Cancelled) {
    const auto cancelled = [&] { return Cancelled && Cancelled(); };
    if (!AllowPipelining || !capabilities_.Pipelining) {
        std::string header, size;
        for (TMsgNumber n = 1; n <= Count && n != 0; ++n) {
            // Cancel takes effect between mails, never between the two commands of one.
            if (cancelled())
                return TPassEnd::Cancelled;
            GetMsgTop(n, ListBodyLines, header);
            if (!connected_)
                return TPassEnd::SessionEnded;
            GetMsgSize(static_cast<int>(n), size);
            if (!connected_)
                return TPassEnd::SessionEnded;
            Row(n, header, size);
        }
        return TPassEnd::Complete;
    }

    if (!connected_)
        throw std::runtime_error("Not connected.");
    TPipeline pipe(*this);
    uint64_t nextToSend = 1;
    bool stopped = false;
    for (uint64_t n = 1; n <= Count; ++n) {
        // A mail's two commands always go out together, so each mail asked for gets its row.
        while (!stopped && nextToSend <= Count) {
            const std::string top = Numbered("TOP ", static_cast<unsigned>(nextToSend),
                                             (" " + std::to_string(ListBodyLines)).c_str());
            const std::string list = Numbered("list ", static_cast<unsigned>(nextToSend));
            if (!pipe.HasRoom(top.size() + list.size() + 4))
                break;
            stopped = cancelled();
            if (stopped)
                break;
            pipe.Queue(top, true);
            pipe.Queue(list, false);
            ++nextToSend;
        }
        pipe.Push();
        if (n >= nextToSend)
            break; // cancelled, and every answer asked for is in
        std::string topAnswer, listAnswer;
        const bool answered = pipe.Next(topAnswer);
        NoteTopAnswer();
        if (!answered) {
            if (connected_)
                pipe.EndAfterRefusal(kErrHeader);
            return TPassEnd::SessionEnded;
        }
        const std::string header = headerOf(topAnswer);
        if (!pipe.Next(listAnswer)) {
            if (connected_)
                pipe.EndAfterRefusal(kErrCommand);
            return TPassEnd::SessionEnded;
        }
        std::string size;
        if (!listedSize(static_cast<TMsgNumber>(n), size))
            return TPassEnd::SessionEnded;
        Row(static_cast<TMsgNumber>(n), header, size);
    }
    return stopped ? TPassEnd::Cancelled : TPassEnd::Complete;
}

TMbxPOP::TPassEnd TMbxPOP::DeleteMails(const std::vector<TMsgNumber>& Numbers,
                                       const std::function<void(TMsgNumber n)>& Deleted) {
    if (!AllowPipelining || !capabilities_.Pipelining) {
        for (const TMsgNumber n : Numbers) {
            DeleteMsg(n);
            if (!connected_)
                return TPassEnd::SessionEnded;
            if (Deleted)
                Deleted(n);
        }
        return TPassEnd::Complete;
    }

    if (!connected_)
        throw std::runtime_error("Not connected.");
    TPipeline pipe(*this);
    size_t nextToSend = 0;
    for (const TMsgNumber n : Numbers) {
        while (nextToSend < Numbers.size()) {
            const std::string dele = Numbered("DELE ", Numbers[nextToSend]);
            if (!pipe.HasRoom(dele.size() + 2))
                break;
            pipe.Queue(dele, false);
            ++nextToSend;
        }
        pipe.Push();
        std::string answer;
        if (!pipe.Next(answer)) {
            // The DELEs after this one change nothing: no QUIT follows.
            if (connected_)
                pipe.EndAfterRefusal(kErrDelete);
            return TPassEnd::SessionEnded;
        }
        noteDeleted(n);
        if (Deleted)
            Deleted(n);
    }
    return TPassEnd::Complete;
}
