#include "KeptCopyPass.h"

#include <algorithm>
#include <system_error>

#include <unistd.h>

TKeptCopyPass::~TKeptCopyPass() {
    const bool quitSent = CopiesStay();
    const std::vector<TMsgNumber> deleted = SortedDeleted();
    for (const auto& [n, file] : kept_) {
        const bool stays = quitSent && std::binary_search(deleted.begin(), deleted.end(), n);
        if (!stays)
            ::unlink(file.c_str());
    }
}

std::vector<TMsgNumber> TKeptCopyPass::SortedDeleted() const {
    std::vector<TMsgNumber> sorted = deleted_;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

bool TKeptCopyPass::CopiesStay() const {
    return pop_ && pop_->QuitState() != TMbxPOP::TQuitState::NotSent;
}

TMbxPOP::TPassEnd
TKeptCopyPass::Run(TMbxPOP& pop, const std::vector<TMbxPOP::TMarkedMail>& marked,
                   uint64_t maxCopySize, int64_t now,
                   const std::function<void(TMsgNumber n)>& deleted,
                   const std::function<void(const TDeletionProgress&)>& progress) {
    pop_ = &pop;
    TDeletionProgress done;
    done.ToDelete = marked.size();
    for (const auto& m : marked) {
        if (m.Size > maxCopySize)
            continue;
        ++done.ToCopy;
        done.BytesToFetch += m.Size;
    }
    const auto tell = [&] {
        if (progress)
            progress(done);
    };
    const auto keep = [&](TMsgNumber n, const std::string& mail) -> std::string {
        ++done.Copied;
        done.BytesFetched += mail.size();
        tell();
        try {
            kept_[n] = copies_.Keep(mail, now);
            return {};
        } catch (const std::system_error& e) {
            --done.ToDelete; // left on the server
            return e.what();
        }
    };
    tell();
    return pop.DeleteWithCopies(
        marked, maxCopySize, keep,
        [&](TMsgNumber n) {
            deleted_.push_back(n);
            ++done.Deleted;
            if (deleted)
                deleted(n);
            tell();
        },
        failures_);
}

size_t TKeptCopyPass::CopiesOfDeleted() const {
    return static_cast<size_t>(std::count_if(deleted_.begin(), deleted_.end(),
                                             [&](TMsgNumber n) { return kept_.count(n) != 0; }));
}

std::string TKeptCopyPass::CopyOf(TMsgNumber n) const {
    const auto copy = kept_.find(n);
    return copy == kept_.end() ? std::string() : copy->second;
}
