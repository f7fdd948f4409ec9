// The listing and the deletion pass over many mails, pipelined where the server allows it.
#include <stdexcept>
#include <string>

#include "MbxPOP3.h"
#include "Pipeline.h"
#include "UniqueIds.h"

namespace {

std::string Numbered(const char* command, unsigned n, const char* suffix = "") {
    return command + std::to_string(n) + suffix;
}

} // namespace

TMbxPOP::TPassEnd TMbxPOP::ListMails(TMsgNumber Count, const TListedRow& Row,
                                     const std::function<bool()>& Cancelled) {
    return listPass(
        Count,
        [&](TMsgNumber n, const std::string& header, const std::string& size, const std::string&) {
            Row(n, header, size);
        },
        Cancelled, false);
}

TMbxPOP::TPassEnd TMbxPOP::ListMailsWithIds(TMsgNumber Count, const TListedIdRow& Row,
                                            const std::function<bool()>& Cancelled) {
    // A CAPA that leaves UIDL out says the server has none; without CAPA it is tried.
    return listPass(Count, Row, Cancelled, !capabilities_.Known || capabilities_.Uidl);
}

bool TMbxPOP::takeUniqueId(TMsgNumber n, bool answered, TUniqueIds& ids, bool& askIds,
                           std::string& id) {
    id.clear();
    if (!answered) {
        // A server without unique ids still lists; it is asked no more.
        if (!connected_)
            return false;
        failed_ = false;
        askIds = false;
        return true;
    }
    if (const auto error = ids.Take(n, replyText_, id)) {
        closeAndReport(this, kErrCommand, *error);
        return false;
    }
    return true;
}

TMbxPOP::TPassEnd TMbxPOP::listPass(TMsgNumber Count, const TListedIdRow& Row,
                                    const std::function<bool()>& Cancelled, bool askIds) {
    const auto cancelled = [&] { return Cancelled && Cancelled(); };
    TUniqueIds ids;
    std::string id;
    if (!AllowPipelining || !capabilities_.Pipelining) {
        std::string header, size, reply;
        for (TMsgNumber n = 1; n <= Count && n != 0; ++n) {
            // Cancel takes effect between mails, never between the commands of one.
            if (cancelled())
                return TPassEnd::Cancelled;
            GetMsgTop(n, ListBodyLines, header);
            if (!connected_)
                return TPassEnd::SessionEnded;
            GetMsgSize(static_cast<int>(n), size);
            if (!connected_)
                return TPassEnd::SessionEnded;
            id.clear();
            if (askIds &&
                !takeUniqueId(n, TryCommand(Numbered("UIDL ", n), reply), ids, askIds, id))
                return TPassEnd::SessionEnded;
            Row(n, header, size, id);
        }
        return TPassEnd::Complete;
    }

    if (!connected_)
        throw std::runtime_error("Not connected.");
    TPipeline pipe(*this);
    uint64_t nextToSend = 1;
    uint64_t idsAskedUpTo = 0; // asking stops at the first refusal, never starts again
    bool stopped = false;
    for (uint64_t n = 1; n <= Count; ++n) {
        // A mail's commands always go out together, so each mail asked for gets its row.
        while (!stopped && nextToSend <= Count) {
            const auto number = static_cast<unsigned>(nextToSend);
            const std::string top =
                Numbered("TOP ", number, (" " + std::to_string(ListBodyLines)).c_str());
            const std::string list = Numbered("list ", number);
            const std::string uidl = askIds ? Numbered("UIDL ", number) : "";
            if (!pipe.HasRoom(top.size() + list.size() + uidl.size() + 6))
                break;
            stopped = cancelled();
            if (stopped)
                break;
            pipe.Queue(top, true, TopBudget(ListBodyLines), BodyCut(ListBodyLines));
            pipe.Queue(list, false);
            if (askIds) {
                pipe.Queue(uidl, false);
                idsAskedUpTo = nextToSend;
            }
            ++nextToSend;
        }
        pipe.Push();
        if (n >= nextToSend)
            break; // cancelled, and every answer asked for is in
        std::string topAnswer, listAnswer, uidAnswer;
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
        id.clear();
        if (n <= idsAskedUpTo &&
            !takeUniqueId(static_cast<TMsgNumber>(n), pipe.Next(uidAnswer), ids, askIds, id))
            return TPassEnd::SessionEnded;
        Row(static_cast<TMsgNumber>(n), header, size, id);
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
