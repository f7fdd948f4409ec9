#include "KeptCopyPass.h"

#include <algorithm>
#include <system_error>

#include <unistd.h>

TKeptCopyPass::~TKeptCopyPass() {
    for (const auto& [n, file] : kept_) {
        const bool stays =
            confirmed_ && std::find(deleted_.begin(), deleted_.end(), n) != deleted_.end();
        if (!stays)
            ::unlink(file.c_str());
    }
}

TMbxPOP::TPassEnd TKeptCopyPass::Run(TMbxPOP& pop, const std::vector<TMbxPOP::TMarkedMail>& marked,
                                     uint64_t maxCopySize, int64_t now,
                                     const std::function<void(TMsgNumber n)>& deleted) {
    const auto keep = [&](TMsgNumber n, const std::string& mail) -> std::string {
        try {
            kept_.emplace_back(n, copies_.Keep(mail, now));
            return {};
        } catch (const std::system_error& e) {
            return e.what();
        }
    };
    return pop.DeleteWithCopies(
        marked, maxCopySize, keep,
        [&](TMsgNumber n) {
            deleted_.push_back(n);
            if (deleted)
                deleted(n);
        },
        failures_);
}

std::string TKeptCopyPass::CopyOf(TMsgNumber n) const {
    const auto copy =
        std::find_if(kept_.begin(), kept_.end(), [&](const auto& k) { return k.first == n; });
    return copy == kept_.end() ? std::string() : copy->second;
}
