#include "CopyingDelete.h"

#include <ostream>

#include "Messages.h"

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
    pass_.Run(pop, marked, kMaxKeptCopySize, KeptCopyNow(), {});
}

bool TCopyingDelete::Finish(bool quitDone, std::ostream& out, std::ostream& err, bool german) {
    if (!quitDone)
        return false;
    pass_.Confirm();
    for (const TMsgNumber n : pass_.Deleted()) {
        const std::string copy = pass_.CopyOf(n);
        out << n << '\t' << (copy.empty() ? std::string("-") : copy) << '\n';
    }
    for (const auto& failure : pass_.Failures())
        err << "mbxpop: " << Pick(mbxpop_texts::NotDeletedWithoutCopy, german) << failure.Number
            << ": " << failure.Why << '\n';
    return pass_.Deleted().size() == numbers_.size();
}
