#include "CopyingDelete.h"

#include <charconv>
#include <ostream>

#include "Messages.h"
#include "Prune.h"

TDeletion::TDeletion(const std::string& copyFolder) : folder_(copyFolder) {
    if (!folder_.empty())
        pass_.emplace(folder_);
}

TMbxPOP::TPassEnd TDeletion::Run(TMbxPOP& pop, const std::vector<TMbxPOP::TMarkedMail>& marked) {
    asked_ = marked.size();
    if (pass_)
        return pass_->Run(pop, marked, kMaxKeptCopySize, KeptCopyNow(), {});
    std::vector<TMsgNumber> numbers;
    for (const auto& m : marked)
        numbers.push_back(m.Number);
    return pop.DeleteMails(numbers, [this](TMsgNumber n) { deleted_.push_back(n); });
}

void TDeletion::Restart() {
    if (pass_) {
        pass_.reset();
        pass_.emplace(folder_);
    }
    deleted_.clear();
    asked_ = 0;
}

bool TDeletion::NothingDone(const TMbxPOP& pop) const {
    return (pass_ ? pass_->Deleted() : deleted_).empty() &&
           pop.QuitState() == TMbxPOP::TQuitState::NotSent;
}

bool TDeletion::AllDeleted() const {
    return (pass_ ? pass_->Deleted().size() : deleted_.size()) == asked_;
}

bool TDeletion::Finish(const TMbxPOP& pop, std::ostream& out, std::ostream& err, bool german) {
    const std::vector<TMsgNumber>& deleted = pass_ ? pass_->Deleted() : deleted_;
    const TMbxPOP::TQuitState quit = pop.QuitState();
    if (quit == TMbxPOP::TQuitState::NotSent) {
        if (!deleted.empty())
            err << "mbxpop: " << Pick(mbxpop_texts::EndedBeforeQuit, german) << '\n';
        return false;
    }
    if (pass_) {
        for (const TMsgNumber n : deleted) {
            const std::string copy = pass_->CopyOf(n);
            out << n << '\t' << (copy.empty() ? std::string("-") : copy) << '\n';
        }
        for (const auto& failure : pass_->Failures())
            err << "mbxpop: " << Pick(mbxpop_texts::NotDeletedWithoutCopy, german) << failure.Number
                << ": " << failure.Why << '\n';
    }
    if (quit == TMbxPOP::TQuitState::Sent && !deleted.empty()) {
        err << "mbxpop: " << Pick(mbxpop_texts::QuitUnconfirmed, german) << deleted.size()
            << Pick(mbxpop_texts::QuitUnconfirmedEnd, german);
        if (pass_ && pass_->CopiesOfDeleted() > 0)
            err << Pick(mbxpop_texts::CopiesKeptIn, german) << folder_;
        err << '\n';
    }
    return quit == TMbxPOP::TQuitState::Taken && AllDeleted();
}

std::vector<TMbxPOP::TMarkedMail> NameMails(TMbxPOP& pop, const std::vector<TMsgNumber>& numbers,
                                            std::ostream& out) {
    std::vector<TMbxPOP::TMarkedMail> marked;
    // Printed once every number named a mail: nothing is deleted otherwise.
    std::string lines;
    for (const TMsgNumber n : numbers) {
        std::string size;
        pop.GetMsgSize(static_cast<int>(n), size);
        if (!pop.Connected())
            return {};
        std::string header;
        pop.GetMsgHeader(n, header);
        if (!pop.Connected())
            return {};
        uint64_t listed = 0;
        std::from_chars(size.data(), size.data() + size.size(), listed);
        lines += MailLine(n, size, header) + '\n';
        marked.push_back({n, listed});
    }
    out << lines << std::flush;
    return marked;
}
