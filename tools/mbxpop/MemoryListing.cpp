#include "MemoryListing.h"

#include <exception>
#include <filesystem>
#include <future>
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
    const auto unusable = [&](const std::string& why) {
        err << "mbxpop: " << Pick(mbxpop_texts::MemoryUnusable, german) << EscapedLine(file) << ": "
            << EscapedLine(why) << Pick(mbxpop_texts::MemoryUnusableEnd, german) << "\n";
    };
    // Written under the key even when nothing was read: the next listing takes from it.
    THeaderMemory memory(key);
    const auto noted = [&](TMsgNumber n, const std::string& header, const std::string& size,
                           const std::string& id) {
        memory.Note(n, id, header);
        row(n, header, size, id);
    };
    TMbxPOP::TPassEnd end = TMbxPOP::TPassEnd::Complete;
    std::error_code missing;
    if (fresh || !std::filesystem::exists(file, missing)) {
        // Nothing to take from: the one pass that asks for each mail's header, size and id.
        end = pop.ListMailsWithIds(pop.MessageCount(), noted, {});
    } else {
        // Decompressing the headers takes as long as a few round trips: it runs while the
        // server answers UIDL and LIST.
        std::future<THeaderMemory> loading =
            std::async(std::launch::async, [&] { return THeaderMemory::Load(file, key); });
        std::vector<TIndexedMail> mails;
        end = pop.ListMailbox(mails);
        try {
            memory = loading.get();
        } catch (const std::exception& e) {
            unusable(e.what());
        }
        if (memory.State() == THeaderMemory::TState::Damaged)
            unusable(memory.Problem());
        // Refused: the file stays as it was.
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
