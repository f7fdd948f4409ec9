#include "AnswerReader.h"

#include <algorithm>
#include <cerrno>

#include "ClientSocket.h"

TAnswerBudget RetrievalBudget(int32_t listedSize, const TAnswerLimits& limits) {
    const uint64_t bytes =
        listedSize <= 0 ? limits.UnlistedRetrieveBudget
                        : pop3_timeouts::kRetrieveSizeFactor * static_cast<uint64_t>(listedSize) +
                              limits.RetrieveSlack;
    return {bytes, kTextOverListedSize};
}

TAnswerReader::TAnswerReader(TReceive receive, TEndSession endSession)
    : receive_(std::move(receive)), endSession_(std::move(endSession)) {}

void TAnswerReader::Begin(std::chrono::milliseconds receiveTimeout, const TAnswerLimits& limits,
                          TAnswerBudget budget) {
    receiveTimeout_ = receiveTimeout;
    limits_ = limits;
    budget_ = std::move(budget);
    begin_ = clock::now();
    received_ = 0;
    statusOpen_ = true;
    lastWasCR_ = false;
}

void TAnswerReader::fail(int errorNumber, const std::string& text, TFailureCause cause) {
    if (endSession_)
        endSession_(errorNumber, text);
    throw ESocketError(text, cause, errorNumber);
}

TAnswerReader::clock::time_point TAnswerReader::rateDeadline() const {
    if (limits_.MinRate == 0)
        return clock::time_point::max();
    // The answer may take as long as its bytes allow at the minimum rate, never less than the
    // receive time-out.
    const auto earned = std::chrono::milliseconds(
        received_ / limits_.MinRate * 1000 + received_ % limits_.MinRate * 1000 / limits_.MinRate);
    return begin_ + std::max(receiveTimeout_, earned);
}

std::string TAnswerReader::Receive() {
    enum class Cut { Idle, StatusLine, Rate };
    const auto now = clock::now();
    auto wait = receiveTimeout_;
    Cut cut = Cut::Idle;
    auto limit = [&](clock::time_point deadline, Cut why) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        if (left < wait) {
            wait = left;
            cut = why;
        }
    };
    if (statusOpen_)
        limit(begin_ + receiveTimeout_, Cut::StatusLine);
    limit(rateDeadline(), Cut::Rate);
    if (wait.count() <= 0) {
        if (cut == Cut::Rate)
            fail(ETIMEDOUT, kTextAnswerTooSlow, TFailureCause::Bounds);
        fail(ETIMEDOUT, SocketErrorText(ETIMEDOUT, "recv"), TFailureCause::Timeout);
    }
    std::string piece;
    try {
        piece = receive_(wait);
    } catch (const ESocketError& e) {
        // The session is closed already; only the reason differs from a silent server.
        if (cut == Cut::Rate && e.Cause == TFailureCause::Timeout)
            throw ESocketError(kTextAnswerTooSlow, TFailureCause::Bounds, e.ErrorNumber);
        throw;
    }
    Count(piece);
    return piece;
}

void TAnswerReader::Count(std::string_view bytes) {
    if (bytes.empty())
        return;
    received_ += bytes.size();
    if (statusOpen_) {
        statusOpen_ = !((lastWasCR_ && bytes.front() == '\n') ||
                        bytes.find("\r\n") != std::string_view::npos);
        lastWasCR_ = bytes.back() == '\r';
        if (statusOpen_ && received_ > limits_.MaxStatusLine)
            fail(EMSGSIZE, SocketErrorText(EMSGSIZE, "recv"), TFailureCause::Bounds);
    }
    if (received_ > budget_.Bytes)
        fail(EMSGSIZE, budget_.Text, TFailureCause::Bounds);
}
