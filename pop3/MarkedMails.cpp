// Finding the marked mails of a listing again in a new session.
#include "MarkedMails.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "Pipeline.h"
#include "ServerNumbers.h"

namespace {

std::string_view HeaderPart(std::string_view text) {
    const size_t end = text.find("\r\n\r\n");
    if (end != std::string_view::npos)
        return text.substr(0, end + 4);
    // A mail without a body: the header up to the "." line.
    if (text.size() >= 3 && text.substr(text.size() - 3) == ".\r\n")
        text.remove_suffix(3);
    return text;
}

// The size word of a "list n" answer's text ("n size"); why not, when it names another mail
// or a size this program does not hold.
std::optional<std::string> ListedSizeOf(TMsgNumber n, const std::string& reply, uint64_t& size) {
    const auto [number, word] = FirstTwoWords(reply);
    const auto named = ReadServerNumber(number, "mail number", kMaxMailCount);
    if (named.Error)
        return named.Error;
    if (named.Value != n)
        return "the server answered list " + std::to_string(n) + " for mail " +
               std::to_string(named.Value);
    const auto read = ReadServerNumber(word, "size of mail " + std::to_string(n), kMaxMailSize);
    if (read.Error)
        return read.Error;
    size = read.Value;
    return std::nullopt;
}

// Ends the session as the session itself ends it on a hostile answer: closed without QUIT
// (OnQuit), then OnError with why.
void EndHostile(TMbxPOP& pop, int code, const std::string& why) {
    pop.ClientSocket().Close();
    if (pop.OnError)
        pop.OnError(&pop, code, why);
}

class TFinder {
public:
    TFinder(TMbxPOP& pop, TMarksNow& now) : pop_(pop), now_(now) {}
    TMbxPOP::TPassEnd ByNumber(const std::vector<const TListedMark*>& candidates);

private:
    // The mail at the mark's number now has this size and header.
    void Judge(const TListedMark& mark, uint64_t size, const std::string* header);
    TMbxPOP::TPassEnd LockStep(const std::vector<const TListedMark*>& candidates);
    TMbxPOP::TPassEnd Pipelined(const std::vector<const TListedMark*>& candidates);

    TMbxPOP& pop_;
    TMarksNow& now_;
};

void TFinder::Judge(const TListedMark& mark, uint64_t size, const std::string* header) {
    if (header && size == mark.Size && SameListedHeader(mark.Header, *header))
        now_.Found.push_back({mark.Number, mark.Number});
    else
        now_.Changed.push_back(mark);
}

TMbxPOP::TPassEnd TFinder::ByNumber(const std::vector<const TListedMark*>& candidates) {
    if (candidates.empty())
        return TMbxPOP::TPassEnd::Complete;
    if (pop_.AllowPipelining && pop_.Capabilities().Pipelining)
        return Pipelined(candidates);
    return LockStep(candidates);
}

TMbxPOP::TPassEnd TFinder::LockStep(const std::vector<const TListedMark*>& candidates) {
    for (const TListedMark* mark : candidates) {
        std::string size;
        pop_.GetMsgSize(static_cast<int>(mark->Number), size);
        if (!pop_.Connected())
            return TMbxPOP::TPassEnd::SessionEnded;
        const uint64_t octets = std::stoull(size); // checked by GetMsgSize
        if (octets != mark->Size) {
            Judge(*mark, octets, nullptr);
            continue;
        }
        std::string header;
        pop_.GetMsgHeader(mark->Number, header);
        if (!pop_.Connected())
            return TMbxPOP::TPassEnd::SessionEnded;
        Judge(*mark, octets, &header);
    }
    return TMbxPOP::TPassEnd::Complete;
}

TMbxPOP::TPassEnd TFinder::Pipelined(const std::vector<const TListedMark*>& candidates) {
    TPipeline pipe(pop_);
    size_t nextToSend = 0;
    for (const TListedMark* mark : candidates) {
        // A mail's two commands go out together, so each answer pair belongs to one mark.
        while (nextToSend < candidates.size()) {
            const std::string n = std::to_string(candidates[nextToSend]->Number);
            if (!pipe.HasRoom(2 * n.size() + 17))
                break;
            pipe.Queue("list " + n, false);
            pipe.Queue("TOP " + n + " 0", true);
            ++nextToSend;
        }
        pipe.Push();
        std::string answer;
        if (!pipe.Next(answer)) {
            if (pop_.Connected())
                pipe.EndAfterRefusal(kErrCommand);
            return TMbxPOP::TPassEnd::SessionEnded;
        }
        uint64_t size = 0;
        if (const auto why = ListedSizeOf(mark->Number, pop_.ReplyText(), size)) {
            EndHostile(pop_, kErrCommand, *why);
            return TMbxPOP::TPassEnd::SessionEnded;
        }
        if (!pipe.Next(answer)) {
            if (pop_.Connected())
                pipe.EndAfterRefusal(kErrHeader);
            return TMbxPOP::TPassEnd::SessionEnded;
        }
        const size_t statusEnd = answer.find("\r\n");
        const std::string header =
            answer.substr(statusEnd == std::string::npos ? answer.size() : statusEnd + 2);
        Judge(*mark, size, &header);
    }
    return TMbxPOP::TPassEnd::Complete;
}

} // namespace

std::vector<TMsgNumber> TMarksNow::NumbersNow() const {
    std::vector<TMsgNumber> numbers;
    numbers.reserve(Found.size());
    for (const TFound& found : Found)
        numbers.push_back(found.Now);
    return numbers;
}

TMsgNumber TMarksNow::ListedNumberOf(TMsgNumber now) const {
    const auto found =
        std::find_if(Found.begin(), Found.end(), [now](const TFound& f) { return f.Now == now; });
    return found == Found.end() ? 0 : found->Listed;
}

bool SameListedHeader(const std::string& listed, const std::string& now) {
    return HeaderPart(listed) == HeaderPart(now);
}

TMbxPOP::TPassEnd FindMailsById(TMbxPOP& pop, const std::vector<TListedMark>& marks, TMarksNow& now,
                                bool& idsListed) {
    now = {};
    std::vector<TIndexedMail> mails;
    const TMbxPOP::TPassEnd listed = pop.ListMailbox(mails);
    // A refused UIDL leaves every id empty; an empty mailbox has none to give.
    idsListed = listed == TMbxPOP::TPassEnd::Complete && (mails.empty() || !mails[0].Id.empty());
    if (!idsListed)
        return listed;
    std::unordered_map<std::string_view, TMsgNumber> numberOf;
    for (const TIndexedMail& mail : mails)
        numberOf.emplace(mail.Id, mail.Number);
    for (const TListedMark& mark : marks) {
        const auto found = numberOf.find(mark.Id);
        if (found == numberOf.end())
            now.Gone.push_back(mark);
        else
            now.Found.push_back({mark.Number, found->second});
    }
    return listed;
}

TMbxPOP::TPassEnd FindMarkedMails(TMbxPOP& pop, const std::vector<TListedMark>& marks,
                                  TMarksNow& now) {
    const bool allIds =
        !marks.empty() &&
        std::all_of(marks.begin(), marks.end(), [](const TListedMark& m) { return !m.Id.empty(); });
    if (allIds && (!pop.Capabilities().Known || pop.Capabilities().Uidl)) {
        bool idsListed = false;
        const TMbxPOP::TPassEnd byId = FindMailsById(pop, marks, now, idsListed);
        if (byId != TMbxPOP::TPassEnd::Complete || idsListed)
            return byId;
    }
    // Without ids (or UIDL refused): by number.
    now = {};
    const TMsgNumber count = pop.MessageCount();
    std::vector<const TListedMark*> candidates;
    for (const TListedMark& mark : marks) {
        if (mark.Number > count)
            now.Gone.push_back(mark);
        else
            candidates.push_back(&mark);
    }
    TFinder finder(pop, now);
    const TMbxPOP::TPassEnd end = finder.ByNumber(candidates);
    if (end != TMbxPOP::TPassEnd::Complete)
        now = {};
    return end;
}
