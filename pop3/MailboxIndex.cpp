// The whole mailbox in two answers (UIDL, LIST), and a listing that asks TOP only for the mails
// an earlier listing did not keep.
#include <stdexcept>
#include <string>

#include "MbxPOP3.h"
#include "Pipeline.h"
#include "ServerNumbers.h"
#include "UniqueIds.h"

namespace {

// "n id" at most: a ten-digit number, a blank, the longest id, CR LF; "n size" is shorter.
constexpr uint64_t kUidlLineBytes = 10 + 1 + kMaxUniqueIdLength + 2;
constexpr uint64_t kListLineBytes = 10 + 1 + 10 + 2;
// The status line and the "." line around them.
constexpr uint64_t kIndexSlack = 1024;

// Known rows come without a network wait: let the window paint now and then.
constexpr size_t kRowsBetweenMessages = 256;

} // namespace

TAnswerBudget TMbxPOP::IndexBudget(const char* command, uint64_t bytesPerMail) const {
    const uint64_t bytes = (uint64_t{messageCount_} + 1) * bytesPerMail + kIndexSlack;
    return {bytes, std::string("the server's answer to ") + command + " is larger than " +
                       std::to_string(bytes) + " bytes, more than " +
                       std::to_string(messageCount_) + " mails need"};
}

std::vector<std::string_view> TMbxPOP::indexLines(const std::string& answer) {
    std::vector<std::string_view> lines;
    std::string_view rest(answer);
    const size_t status = rest.find("\r\n");
    rest = status == std::string_view::npos ? std::string_view{} : rest.substr(status + 2);
    while (!rest.empty()) {
        const size_t eol = rest.find("\r\n");
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view{} : rest.substr(eol + 2);
        if (line == "." && rest.empty())
            break;
        if (!line.empty() && line.front() == '.')
            line.remove_prefix(1);
        lines.push_back(line);
    }
    return lines;
}

bool TMbxPOP::takeSizes(const std::string& answer, std::vector<TIndexedMail>& Mails) {
    Mails.clear();
    const std::vector<std::string_view> lines = indexLines(answer);
    Mails.reserve(lines.size());
    std::optional<std::string> error;
    for (const std::string_view line : lines) {
        const auto [number, size] = FirstTwoWords(line);
        const auto named = ReadServerNumber(number, "mail number", kMaxMailCount);
        error = named.Error;
        if (!error && named.Value > messageCount_)
            error = "the server's LIST names mail " + std::to_string(named.Value) + " of " +
                    std::to_string(messageCount_);
        else if (!error && !Mails.empty() && named.Value <= Mails.back().Number)
            error = "the server's LIST names mail " + std::to_string(named.Value) + " after mail " +
                    std::to_string(Mails.back().Number);
        if (error)
            break;
        auto octets = ReadServerNumber(size, "mail size", kMaxMailSize);
        // The mail's number goes into the error only when there is one.
        if (octets.Error)
            octets = ReadServerNumber(size, "size of mail " + std::string(number), kMaxMailSize);
        if ((error = octets.Error))
            break;
        Mails.push_back({static_cast<TMsgNumber>(named.Value), static_cast<uint32_t>(octets.Value),
                         std::string()});
    }
    if (error) {
        Mails.clear();
        closeAndReport(this, kErrCommand, *error);
        return false;
    }
    return true;
}

bool TMbxPOP::takeIds(const std::string& answer, std::vector<TIndexedMail>& Mails) {
    const std::vector<std::string_view> lines = indexLines(answer);
    std::optional<std::string> error;
    if (lines.size() != Mails.size())
        error = "the server's UIDL names " + std::to_string(lines.size()) + " mails, its LIST " +
                std::to_string(Mails.size());
    if (!error)
        error = TUniqueIds::TakeAll(lines, Mails);
    if (error) {
        Mails.clear();
        closeAndReport(this, kErrCommand, *error);
        return false;
    }
    return true;
}

TMbxPOP::TPassEnd TMbxPOP::ListMailbox(std::vector<TIndexedMail>& Mails) {
    if (!connected_)
        throw std::runtime_error("Not connected.");
    Mails.clear();
    // A CAPA that leaves UIDL out says the server has none; without CAPA it is tried.
    const bool askIds = !capabilities_.Known || capabilities_.Uidl;
    const TAnswerBudget uidlBudget = IndexBudget("UIDL", kUidlLineBytes);
    const TAnswerBudget listBudget = IndexBudget("LIST", kListLineBytes);
    std::string uidlAnswer, listAnswer;
    bool idsGiven = false;
    if (AllowPipelining && capabilities_.Pipelining) {
        TPipeline pipe(*this);
        if (askIds)
            pipe.Queue("UIDL", true, uidlBudget);
        pipe.Queue("LIST", true, listBudget);
        pipe.Push();
        if (askIds) {
            idsGiven = pipe.Next(uidlAnswer);
            if (!connected_)
                return TPassEnd::SessionEnded;
            failed_ = false;
        }
        if (!pipe.Next(listAnswer)) {
            if (connected_)
                pipe.EndAfterRefusal(kErrCommand);
            return TPassEnd::SessionEnded;
        }
    } else {
        if (askIds) {
            processMessages();
            idsGiven = TryCommand("UIDL", uidlAnswer, uidlBudget);
            if (idsGiven)
                ReceiveMultiLine(uidlAnswer);
            if (!connected_)
                return TPassEnd::SessionEnded;
        }
        processMessages();
        if (!Command("LIST", kErrCommand, listAnswer, listBudget))
            return TPassEnd::SessionEnded;
        ReceiveMultiLine(listAnswer);
    }
    if (!takeSizes(listAnswer, Mails))
        return TPassEnd::SessionEnded;
    if (idsGiven && !takeIds(uidlAnswer, Mails))
        return TPassEnd::SessionEnded;
    return TPassEnd::Complete;
}

TMbxPOP::TPassEnd TMbxPOP::ListMailsRemembering(const std::vector<TIndexedMail>& Mails,
                                                const TRemembered& Remembered,
                                                const TListedIdRow& Row,
                                                const std::function<bool()>& Cancelled) {
    if (!connected_)
        throw std::runtime_error("Not connected.");
    const auto cancelled = [&] { return Cancelled && Cancelled(); };
    std::vector<bool> known(Mails.size());
    for (size_t i = 0; i < Mails.size(); ++i)
        known[i] = !Mails[i].Id.empty() && Remembered.Knows && Remembered.Knows(Mails[i].Id);
    const auto rowOf = [&](const TIndexedMail& mail, const std::string& header) {
        Row(mail.Number, header, std::to_string(mail.Size), mail.Id);
    };
    const auto rememberedRow = [&](const TIndexedMail& mail) {
        std::optional<std::string> header = Remembered.Take(mail.Id);
        if (!header)
            throw std::logic_error("a remembered header went before its row: " + mail.Id);
        rowOf(mail, *header);
    };

    if (!AllowPipelining || !capabilities_.Pipelining) {
        std::string header;
        for (size_t i = 0; i < Mails.size(); ++i) {
            // Cancel takes effect between mails.
            if (cancelled())
                return TPassEnd::Cancelled;
            if (known[i]) {
                if (i % kRowsBetweenMessages == 0)
                    processMessages();
                rememberedRow(Mails[i]);
                continue;
            }
            GetMsgTop(Mails[i].Number, ListBodyLines, header);
            if (!connected_)
                return TPassEnd::SessionEnded;
            rowOf(Mails[i], header);
        }
        return TPassEnd::Complete;
    }

    TPipeline pipe(*this);
    size_t nextToSend = 0; // the next mail whose TOP may go out
    bool stopped = false;
    for (size_t i = 0; i < Mails.size(); ++i) {
        while (!stopped && nextToSend < Mails.size()) {
            if (known[nextToSend]) {
                ++nextToSend;
                continue;
            }
            const std::string top = "TOP " + std::to_string(Mails[nextToSend].Number) + " " +
                                    std::to_string(ListBodyLines);
            if (!pipe.HasRoom(top.size() + 2))
                break;
            stopped = cancelled();
            if (stopped)
                break;
            pipe.Queue(top, true, TopBudget(ListBodyLines), BodyCut(ListBodyLines));
            ++nextToSend;
        }
        pipe.Push();
        if (i >= nextToSend)
            break; // cancelled, and every answer asked for is in
        if (known[i]) {
            if (i % kRowsBetweenMessages == 0) {
                processMessages();
                // Nothing in flight to wait for: a cancel ends the listing here.
                stopped = stopped || (!pipe.InFlight() && cancelled());
                if (stopped && !pipe.InFlight())
                    break;
            }
            rememberedRow(Mails[i]);
            continue;
        }
        std::string answer;
        const bool answered = pipe.Next(answer);
        NoteTopAnswer();
        if (!answered) {
            if (connected_)
                pipe.EndAfterRefusal(kErrHeader);
            return TPassEnd::SessionEnded;
        }
        rowOf(Mails[i], headerOf(answer));
    }
    return stopped ? TPassEnd::Cancelled : TPassEnd::Complete;
}
