#pragma once

// The headers of one account's mails by unique id (UIDL), kept from one listing to the next, so
// that a listing asks the server only for the headers of mails it has not seen before.
//
//   THeaderMemory memory = THeaderMemory::Load(path, key);
//   for each listed mail: memory.Take(id) or fetch it; memory.Note(n, id, header);
//   memory.Save(path, complete);

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mbx_events.h"

struct ZSTD_CCtx_s;

class THeaderMemory {
public:
    enum class TState { None, Loaded, Foreign, Damaged };

    THeaderMemory();
    // Empty, and saved under key (see Load).
    explicit THeaderMemory(std::string key);
    ~THeaderMemory();
    THeaderMemory(THeaderMemory&&) noexcept;
    THeaderMemory& operator=(THeaderMemory&&) noexcept;

    // The file at path as the last Save left it, when it was written under key (what decides a
    // listed header's bytes, e.g. "as-sent=1 lines=0"; one line). None: no file; Foreign: another
    // key or another program's/version's file (nothing used, nothing said); Damaged: Problem() says
    // why (nothing used). Throws std::system_error only when an existing file cannot be read.
    static THeaderMemory Load(const std::string& path, const std::string& key);
    TState State() const { return state_; }
    const std::string& Problem() const { return problem_; }
    size_t Count() const { return untaken_; } // headers remembered and not taken yet
    bool Knows(const std::string& id) const;
    // The header remembered for id, moved out (the row keeps it from then on); nullopt if unknown.
    // place: where it came in ForEachRemembered.
    std::optional<std::string> Take(const std::string& id, std::size_t* place = nullptr);
    // Each remembered header with its place (0 to RememberedCount() - 1), before the listing
    // takes any: work on them can be done ahead, on another thread while nothing else uses the
    // memory.
    void ForEachRemembered(
        const std::function<void(std::size_t place, std::string_view header)>& each) const;
    std::size_t RememberedCount() const { return records_.size(); }
    // A mail of this listing, in order: what Save writes. Compresses as it goes, so a noted
    // listing costs its compressed size in memory, not its text. A mail without a usable id (or
    // with one noted before in this listing) is not remembered: it is fetched again next time.
    void Note(TMsgNumber number, std::string_view id, std::string_view header);
    // The number and id of each mail the listing that saved the loaded file noted (for deleting
    // by a number of that listing): empty when loaded without the list, and once every
    // remembered header was taken (the memory lets go of the file's text then).
    const std::vector<std::pair<TMsgNumber, std::string>>& LastListing() const;
    // Writes atomically, owner-only (WriteFileAtomically, MakeOwnerOnlyFolder from
    // mail/AtomicFile.h): the mails noted; when !complete also the remembered ones not taken
    // (the listing stopped before reaching them). Ids not noted in a complete listing are dropped.
    // Throws std::system_error naming the file. Afterwards the memory is empty: the next
    // listing loads the file again.
    void Save(const std::string& path, bool complete);

    // A header longer than this is no header a server was allowed to send (the POP3 client's
    // budget for one header answer, kMaxHeaderAnswer).
    static constexpr uint32_t MaxHeaderBytes = 1024 * 1024;

private:
    // One remembered mail inside plain_: offsets, as the memory moves.
    struct TRecord {
        uint64_t HeaderAt = 0;
        uint32_t HeaderBytes = 0;
        uint32_t Number = 0; // 0: not of the listing that saved it
        uint64_t IdAt = 0;
        uint8_t IdBytes = 0;
        bool Taken = false;
    };
    std::string_view IdOf(const TRecord& r) const { return {plain_.data() + r.IdAt, r.IdBytes}; }
    const TRecord* Find(std::string_view id) const;
    std::string Parse(); // the problem, or "" when plain_ holds sound records
    void Append(TMsgNumber number, std::string_view id, std::string_view header);
    void Compress(int end); // staged_ into compressed_, with zstd's ZSTD_EndDirective

    TState state_ = TState::None;
    std::string key_;
    std::string problem_;
    std::string plain_;            // the remembered records as the file held them
    std::vector<TRecord> records_; // sorted by id
    size_t untaken_ = 0;

    struct TFreeCCtx {
        void operator()(ZSTD_CCtx_s* c) const;
    };
    std::unique_ptr<ZSTD_CCtx_s, TFreeCCtx> compressor_;
    std::string staged_;     // records noted and not compressed yet
    std::string compressed_; // the frame of the records noted so far, unfinished
    uint64_t notedBytes_ = 0;
    // Hashes of the ids noted, in the order noted. An id is kept once: a server that lists one
    // twice is rare enough to be mended when saving (DropRepeatedIds), and a table looked up
    // for every mail costs more than the listing's other work on it.
    std::vector<size_t> notedIds_;
    // The finished frame again, each id's first record only.
    void DropRepeatedIds();

    mutable std::optional<std::vector<std::pair<TMsgNumber, std::string>>> lastListing_;
};

// The key of the window's file and mbxpop's: what decides the bytes of a listed row and how the
// window shows them.
std::string HeaderMemoryKey(bool headerTextsAsSent, uint32_t bodyLines);
