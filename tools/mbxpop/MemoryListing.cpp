#include "MemoryListing.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "AccountFile.h"
#include "EscapedLine.h"
#include "HeaderMemory.h"
#include "Messages.h"
#include "WindowRules.h"

TMbxPOP::TPassEnd ListWithMemory(TMbxPOP& pop, bool fresh, bool askIds,
                                 const TMbxPOP::TListedIdRow& row, std::ostream& err, bool german) {
    const std::optional<std::string> folder = WindowDataFolder();
    const bool withIds = pop.Capabilities().Known && pop.Capabilities().Uidl;
    if (!folder || !withIds) {
        if (askIds)
            return pop.ListMailsWithIds(pop.MessageCount(), row, {});
        return pop.ListMails(pop.MessageCount(),
                             [&](TMsgNumber n, const std::string& header, const std::string& size) {
                                 row(n, header, size, {});
                             },
                             {});
    }
    const std::string file =
        *folder + "/Headers/" + AccountFileName(pop.UserId, pop.Host, pop.UsedPort());
    const std::string key = HeaderMemoryKey(WindowHeaderTextsAsSent(), pop.ListBodyLines);
    THeaderMemory memory;
    if (!fresh) {
        try {
            memory = THeaderMemory::Load(file, key);
        } catch (const std::exception& e) {
            err << "mbxpop: " << Pick(mbxpop_texts::MemoryUnusable, german) << EscapedLine(file)
                << ": " << EscapedLine(e.what()) << Pick(mbxpop_texts::MemoryUnusableEnd, german)
                << "\n";
        }
        if (memory.State() == THeaderMemory::TState::Damaged)
            err << "mbxpop: " << Pick(mbxpop_texts::MemoryUnusable, german) << EscapedLine(file)
                << ": " << EscapedLine(memory.Problem())
                << Pick(mbxpop_texts::MemoryUnusableEnd, german) << "\n";
    }
    const auto noted = [&](TMsgNumber n, const std::string& header, const std::string& size,
                           const std::string& id) {
        memory.Note(n, id, header);
        row(n, header, size, id);
    };
    TMbxPOP::TPassEnd end = TMbxPOP::TPassEnd::Complete;
    if (memory.Count() == 0) {
        // Nothing to take from: the one pass that asks for each mail's header, size and id.
        end = pop.ListMailsWithIds(pop.MessageCount(), noted, {});
    } else {
        std::vector<TIndexedMail> mails;
        end = pop.ListMailbox(mails);
        if (end != TMbxPOP::TPassEnd::Complete)
            return end;
        const TMbxPOP::TRemembered remembered{
            [&](const std::string& id) { return memory.Knows(id); },
            [&](const std::string& id) { return memory.Take(id); }};
        end = pop.ListMailsRemembering(mails, remembered, noted, {});
    }
    // A listing cut off keeps what it did not reach for the next one.
    try {
        memory.Save(file, end == TMbxPOP::TPassEnd::Complete);
    } catch (const std::exception& e) {
        err << "mbxpop: " << Pick(mbxpop_texts::MemoryNotSaved, german) << EscapedLine(e.what())
            << "\n";
    }
    return end;
}
