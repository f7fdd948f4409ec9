#include "Pipeline.h"

#include <algorithm>

#include "MbxPOP3.h"

TPipeline::TPipeline(TMbxPOP& pop) : pop_(pop) {}

bool TPipeline::HasRoom(size_t Commands) const {
    // A command line is at most a few dozen bytes; keep room for the longest.
    constexpr size_t kLongestCommand = 64;
    return flight_.size() + Commands <= std::max<size_t>(pop_.PipelineWindow, 1) &&
           bytes_ + Commands * kLongestCommand <= kMaxBytesInFlight;
}

void TPipeline::Queue(const std::string& Command, bool MultiLine) {
    const size_t bytes = Command.size() + 2;
    queued_ += Command + "\r\n";
    flight_.push_back({MultiLine, bytes});
    bytes_ += bytes;
}

void TPipeline::Flush() {
    if (queued_.empty())
        return;
    pop_.SendText(queued_);
    queued_.clear();
}

bool TPipeline::Next(std::string& Answer) {
    const TInFlight oldest = flight_.front();
    flight_.pop_front();
    bytes_ -= oldest.Bytes;
    pop_.ReceiveAnswer(Answer, oldest.MultiLine,
                       oldest.MultiLine ? pop_.HeaderBudget() : TAnswerBudget{});
    return pop_.ReplyStatus() == "+OK";
}

void TPipeline::EndAfterRefusal(int ErrorCode) {
    // The refused answer's text is what the user is told, also if the server goes meanwhile.
    const std::string status = pop_.replyStatus_;
    const std::string text = pop_.replyText_;
    try {
        std::string dropped;
        while (InFlight() && pop_.Connected()) {
            pop_.replyText_ = text;
            Next(dropped);
        }
    } catch (const ESocketError&) {
        return; // the session is closed and reported already
    }
    pop_.replyStatus_ = status;
    pop_.replyText_ = text;
    pop_.failed_ = true;
    pop_.ReportError(ErrorCode);
}
