// Deleting with a copy kept of each mail first: every copy is written before any DELE goes out.
#include <algorithm>
#include <deque>
#include <limits>
#include <string>

#include "MbxPOP3.h"
#include "Pipeline.h"

namespace {

// The mail in a whole multi-line answer, in place: without the status line and the "." line,
// each line's stuffed leading dot taken away.
void UnstuffAnswer(std::string& answer) {
    const size_t statusEnd = answer.find("\r\n");
    const size_t begin = statusEnd == std::string::npos ? answer.size() : statusEnd + 2;
    const size_t end = std::max(begin, answer.size() >= 3 ? answer.size() - 3 : 0);
    size_t out = 0;
    char before = '\n', last = '\r'; // as if after a CR LF
    for (size_t in = begin; in < end; ++in) {
        const char c = answer[in];
        if (!(c == '.' && before == '\n' && last == '\r'))
            answer[out++] = c;
        last = before;
        before = c;
    }
    answer.resize(out);
}

} // namespace

bool TMbxPOP::keepCopies(const std::vector<TMarkedMail>& Marked, uint64_t MaxCopySize,
                         const TKeepCopy& Keep, std::vector<TCopyFailure>& Failures) {
    std::vector<TMarkedMail> wanted;
    std::copy_if(Marked.begin(), Marked.end(), std::back_inserter(wanted),
                 [&](const TMarkedMail& m) { return m.Size <= MaxCopySize; });
    const bool pipelined = AllowPipelining && capabilities_.Pipelining;
    TPipeline pipe(*this);
    std::deque<bool> askedByTop; // per fetch in flight
    const auto budgetOf = [&](const TMarkedMail& m) {
        const uint64_t size = std::min<uint64_t>(m.Size, std::numeric_limits<int32_t>::max());
        return RetrievalBudget(static_cast<int32_t>(size), AnswerLimits);
    };
    const auto queue = [&](const TMarkedMail& m, bool byTop) {
        pipe.Queue(byTop ? WholeMailTop(m.Number) : "RETR " + std::to_string(m.Number), true,
                   budgetOf(m));
        askedByTop.push_back(byTop);
    };
    size_t nextToSend = 0;
    for (const TMarkedMail& mail : wanted) {
        // Until the server has shown whether TOP gives whole mails, one fetch at a time.
        const auto undecided = [&] { return !WholeMailByRetr && topUse_ == TTopUse::Unknown; };
        while (nextToSend < wanted.size() && !(pipe.InFlight() && (!pipelined || undecided()))) {
            const bool byTop = !WholeMailByRetr && topUse_ != TTopUse::No;
            if (!pipe.HasRoom(WholeMailTop(wanted[nextToSend].Number).size() + 2))
                break;
            queue(wanted[nextToSend++], byTop);
        }
        pipe.Push();
        std::string answer;
        bool answered = pipe.Next(answer);
        bool byTop = askedByTop.front();
        askedByTop.pop_front();
        if (byTop && topUse_ == TTopUse::Unknown) {
            topUse_ = answered ? TTopUse::Yes : TTopUse::No;
            if (!answered && connected_) {
                // The refused TOP was alone in flight: RETR instead, as Retrieve does.
                failed_ = false;
                queue(mail, false);
                answered = pipe.Next(answer);
                askedByTop.pop_front();
                byTop = false;
            }
        }
        if (!answered) {
            if (connected_)
                pipe.EndAfterRefusal(kErrRetrieve);
            return false;
        }
        lastUsedRetr_ = !byTop;
        UnstuffAnswer(answer);
        std::string why = Keep(mail.Number, answer);
        if (!why.empty())
            Failures.push_back({mail.Number, std::move(why)});
    }
    return true;
}

TMbxPOP::TPassEnd TMbxPOP::DeleteWithCopies(const std::vector<TMarkedMail>& Marked,
                                            uint64_t MaxCopySize, const TKeepCopy& Keep,
                                            const std::function<void(TMsgNumber n)>& Deleted,
                                            std::vector<TCopyFailure>& Failures) {
    if (!connected_)
        throw std::runtime_error("Not connected.");
    Failures.clear();
    if (!keepCopies(Marked, MaxCopySize, Keep, Failures))
        return TPassEnd::SessionEnded;
    std::vector<TMsgNumber> numbers;
    for (const TMarkedMail& m : Marked) {
        const bool failed =
            std::any_of(Failures.begin(), Failures.end(),
                        [&](const TCopyFailure& f) { return f.Number == m.Number; });
        if (!failed)
            numbers.push_back(m.Number);
    }
    return DeleteMails(numbers, Deleted);
}
