#include "CopyingDelete.h"

#include <algorithm>
#include <ostream>
#include <system_error>

#include <unistd.h>

#include "Messages.h"

namespace {

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

TCopyingDelete::~TCopyingDelete() {
    for (const auto& [n, file] : kept_) {
        const bool stays =
            confirmed_ && std::find(deleted_.begin(), deleted_.end(), n) != deleted_.end();
        if (!stays)
            ::unlink(file.c_str());
    }
}

void TCopyingDelete::Run(TMbxPOP& pop, const std::vector<TMsgNumber>& numbers) {
    numbers_ = numbers;
    std::vector<TMbxPOP::TMarkedMail> marked;
    for (const TMsgNumber n : numbers) {
        std::string size;
        pop.GetMsgSize(static_cast<int>(n), size);
        if (!pop.Connected())
            return;
        marked.push_back({n, std::stoull(size)});
    }
    const auto keep = [&](TMsgNumber n, const std::string& mail) -> std::string {
        try {
            kept_.emplace_back(n, copies_.Keep(mail, NowMs()));
            return {};
        } catch (const std::system_error& e) {
            return e.what();
        }
    };
    pop.DeleteWithCopies(
        marked, kMaxKeptCopySize, keep, [&](TMsgNumber n) { deleted_.push_back(n); }, failures_);
}

bool TCopyingDelete::Finish(bool quitDone, std::ostream& out, std::ostream& err, bool german) {
    confirmed_ = quitDone;
    if (!quitDone)
        return false;
    for (const TMsgNumber n : deleted_) {
        const auto copy =
            std::find_if(kept_.begin(), kept_.end(), [&](const auto& k) { return k.first == n; });
        out << n << '\t' << (copy == kept_.end() ? std::string("-") : copy->second) << '\n';
    }
    for (const auto& failure : failures_)
        err << "mbxpop: " << Pick(mbxpop_texts::NotDeletedWithoutCopy, german) << failure.Number
            << ": " << failure.Why << '\n';
    return deleted_.size() == numbers_.size();
}
