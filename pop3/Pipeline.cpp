#include "Pipeline.h"

#include <algorithm>

#include "MbxPOP3.h"

namespace {
// The answered commands are dropped from the buffer once they fill this much of it.
constexpr size_t kCompactAt = 4096;
} // namespace

TPipeline::TPipeline(TMbxPOP& pop) : pop_(pop) {}

bool TPipeline::HasRoom(size_t Bytes) {
    const size_t inFlight = out_.size() - answered_;
    if (flight_.empty())
        return true;
    if (inFlight <= pop_.PipelineBytes / 2)
        filling_ = true;
    filling_ = filling_ && inFlight + Bytes <= pop_.PipelineBytes;
    return filling_;
}

TAnswerBudget TPipeline::budgetOf(const TInFlight& command) const {
    if (command.Budget)
        return *command.Budget;
    return command.MultiLine ? pop_.HeaderBudget() : TAnswerBudget{};
}

void TPipeline::Queue(const std::string& Command, bool MultiLine,
                      std::optional<TAnswerBudget> Budget, std::optional<TMbxPOP::TBodyCut> Cut) {
    if (answered_ >= kCompactAt) {
        // The unsent bytes keep their content; a TLS write may go on from their new place.
        out_.erase(0, answered_);
        sent_ -= answered_;
        for (TInFlight& command : flight_)
            command.End -= answered_;
        answered_ = 0;
    }
    out_ += Command;
    out_ += "\r\n";
    flight_.push_back({MultiLine, out_.size(), std::move(Budget), std::move(Cut)});
}

void TPipeline::Push() {
    while (sent_ < out_.size() && pop_.Connected()) {
        const size_t n = pop_.sendSome(out_.data() + sent_, out_.size() - sent_, false);
        if (n == 0)
            return;
        sent_ += n;
    }
}

bool TPipeline::Next(std::string& Answer) {
    // Every earlier answer is read, so the server has nothing to write that we do not take:
    // waiting for room to send the rest of this command cannot block both sides.
    while (!oldestSent() && pop_.Connected()) {
        Push();
        if (!oldestSent() && pop_.Connected())
            pop_.socket_->Socket()->AwaitSendRoom();
    }
    const TInFlight oldest = std::move(flight_.front());
    flight_.pop_front();
    answered_ = oldest.End;
    pop_.ReceiveAnswer(Answer, oldest.MultiLine, budgetOf(oldest),
                       oldest.Cut ? &*oldest.Cut : nullptr);
    Push();
    return pop_.ReplyStatus() == "+OK";
}

void TPipeline::EndAfterRefusal(int ErrorCode) {
    // The refused answer's text is what the user is told, also if the server goes meanwhile.
    const std::string status = pop_.replyStatus_;
    const std::string text = pop_.replyText_;
    try {
        std::string dropped;
        // A command that went out only in part is never answered.
        while (InFlight() && oldestSent() && pop_.Connected()) {
            const TInFlight oldest = std::move(flight_.front());
            flight_.pop_front();
            pop_.ReceiveAnswer(dropped, oldest.MultiLine, budgetOf(oldest),
                               oldest.Cut ? &*oldest.Cut : nullptr);
        }
    } catch (const ESocketError&) {
        return; // the session is closed and reported already
    }
    pop_.replyStatus_ = status;
    pop_.replyText_ = text;
    pop_.failed_ = true;
    pop_.ReportError(ErrorCode);
}
