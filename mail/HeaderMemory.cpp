#include "HeaderMemory.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <functional>
#include <new>
#include <stdexcept>
#include <system_error>
#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zstd.h>

#include "AtomicFile.h"
#include "LargeBuffer.h"
#include "MappedFile.h"
#include "UniqueId.h"

namespace {

size_t IdHash(std::string_view id) {
    return std::hash<std::string_view>{}(id);
}

// The first line; another version's or kind's file of this program begins with kOwnPrefix.
constexpr std::string_view kFirstLine = "inboxpruner headers 1\n";
constexpr std::string_view kOwnPrefix = "inboxpruner ";
constexpr std::string_view kKeyWord = "key ";
constexpr std::string_view kRawWord = "raw ";
// number (4), id length (1), header length (4), all little-endian
constexpr size_t kRecordHead = 9;
// More than any account's headers: a larger claim is a damaged file, not a reason to allocate.
constexpr uint64_t kMaxRaw = uint64_t{1} << 36;
// Noted records wait until there is this much to compress.
constexpr size_t kStageBytes = 1 << 20;

void PutU32(std::string& out, uint32_t value) {
    const char bytes[4] = {static_cast<char>(value), static_cast<char>(value >> 8),
                           static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
    out.append(bytes, 4);
}

uint32_t GetU32(const char* at) {
    const auto* b = reinterpret_cast<const unsigned char*>(at);
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

// A record's head at `at` (kRecordHead bytes): its number, id length and header length.
struct TRecordHead {
    uint32_t Number = 0;
    uint8_t IdBytes = 0;
    uint32_t HeaderBytes = 0;
};
TRecordHead ReadRecordHead(const char* at) {
    return {GetU32(at), static_cast<uint8_t>(at[4]), GetU32(at + 5)};
}

// The file's bytes, mapped: a listing's headers are hundreds of megabytes, and copying them
// page by page costs more than decompressing them.
MappedFile ReadWhole(const std::string& path, bool& missing) {
    const auto fail = [&](int error) {
        throw std::system_error(error, std::generic_category(), "cannot read " + path);
    };
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        if (missing)
            return {};
        fail(errno);
    }
    const std::unique_ptr<int, void (*)(int*)> closing(new int(fd), [](int* f) {
        ::close(*f);
        delete f;
    });
    struct stat about {};
    if (::fstat(fd, &about) < 0)
        fail(errno);
    if (!S_ISREG(about.st_mode))
        fail(S_ISDIR(about.st_mode) ? EISDIR : EINVAL);
    if (about.st_size == 0)
        return {};
    MappedFile mapped = MapFile(fd, static_cast<size_t>(about.st_size));
    if (!mapped.owner)
        fail(errno ? errno : EIO);
    return mapped;
}

// The line after prefix at pos (without its LF); pos then past it. nullopt: no such line.
std::optional<std::string_view> TakeLine(std::string_view file, size_t& pos,
                                         std::string_view prefix) {
    const size_t end = file.find('\n', pos);
    if (end == std::string_view::npos || file.substr(pos, prefix.size()) != prefix)
        return std::nullopt;
    const std::string_view line = file.substr(pos + prefix.size(), end - pos - prefix.size());
    pos = end + 1;
    return line;
}

[[noreturn]] void ZstdFailed(size_t code) {
    throw std::runtime_error(std::string("zstd: ") + ZSTD_getErrorName(code));
}

} // namespace

void THeaderMemory::TFreeCCtx::operator()(ZSTD_CCtx_s* c) const {
    ZSTD_freeCCtx(c);
}

THeaderMemory::THeaderMemory() = default;
THeaderMemory::THeaderMemory(std::string key) : key_(std::move(key)) {}
THeaderMemory::~THeaderMemory() = default;
THeaderMemory::THeaderMemory(THeaderMemory&&) noexcept = default;
THeaderMemory& THeaderMemory::operator=(THeaderMemory&&) noexcept = default;

THeaderMemory THeaderMemory::Load(const std::string& path, const std::string& key) {
    THeaderMemory memory;
    memory.key_ = key;
    bool missing = false;
    const MappedFile file = ReadWhole(path, missing);
    if (missing)
        return memory;
    const auto damaged = [&](const std::string& why) {
        // Nothing of a damaged file is used, not even the records read before the damage.
        memory.records_.clear();
        memory.plain_.clear();
        memory.untaken_ = 0;
        memory.state_ = TState::Damaged;
        memory.problem_ = "the file " + path + " " + why;
        return std::move(memory);
    };
    const std::string_view bytes = file.bytes;
    if (!bytes.starts_with(kFirstLine)) {
        // Another version's file is not ours to read, and no fault either.
        if (bytes.starts_with(kOwnPrefix)) {
            memory.state_ = TState::Foreign;
            return memory;
        }
        return damaged("is not a memory of headers");
    }
    size_t pos = kFirstLine.size();
    const auto keyLine = TakeLine(bytes, pos, kKeyWord);
    const auto rawLine = keyLine ? TakeLine(bytes, pos, kRawWord) : std::nullopt;
    uint64_t raw = 0;
    if (!rawLine || std::from_chars(rawLine->data(), rawLine->data() + rawLine->size(), raw).ptr !=
                        rawLine->data() + rawLine->size())
        return damaged("is damaged at its beginning");
    if (*keyLine != key) {
        memory.state_ = TState::Foreign;
        return memory;
    }
    if (raw > kMaxRaw)
        return damaged("claims " + std::to_string(raw) + " bytes of headers");

    // The frame must hold exactly raw bytes and end where the file ends; zstd checks its sum.
    const std::string_view frame = bytes.substr(pos);
    try {
        ReserveLarge(memory.plain_, raw);
        memory.plain_.resize(raw);
    } catch (const std::bad_alloc&) {
        return damaged("claims " + std::to_string(raw) + " bytes of headers");
    }
    const std::unique_ptr<ZSTD_DCtx, size_t (*)(ZSTD_DCtx*)> d(ZSTD_createDCtx(), ZSTD_freeDCtx);
    if (!d)
        throw std::bad_alloc();
    const size_t got =
        ZSTD_decompressDCtx(d.get(), memory.plain_.data(), raw, frame.data(), frame.size());
    if (ZSTD_isError(got))
        return damaged(std::string("is damaged: ") + ZSTD_getErrorName(got));
    if (got != raw)
        return damaged("holds less than it claims");
    std::string problem = memory.Parse();
    if (!problem.empty())
        return damaged("is damaged: " + problem);
    memory.state_ = TState::Loaded;
    return memory;
}

std::string THeaderMemory::Parse() {
    const std::string_view all(plain_);
    size_t pos = 0;
    while (pos < all.size()) {
        if (all.size() - pos < kRecordHead)
            return "a record runs past the end";
        TRecord r;
        const TRecordHead head = ReadRecordHead(all.data() + pos);
        r.Number = head.Number;
        r.IdBytes = head.IdBytes;
        r.HeaderBytes = head.HeaderBytes;
        r.IdAt = pos + kRecordHead;
        r.HeaderAt = r.IdAt + r.IdBytes;
        if (all.size() - r.IdAt < uint64_t{r.IdBytes} + r.HeaderBytes)
            return "a record runs past the end";
        const std::string_view id = IdOf(r);
        if (id.size() > kMaxUniqueIdLength || !IsUniqueId(id))
            return "a unique id is empty, too long or not printable";
        if (r.HeaderBytes > MaxHeaderBytes)
            return "a header is longer than " + std::to_string(MaxHeaderBytes) + " bytes";
        records_.push_back(r);
        pos = r.HeaderAt + r.HeaderBytes;
    }
    std::sort(records_.begin(), records_.end(),
              [this](const TRecord& a, const TRecord& b) { return IdOf(a) < IdOf(b); });
    const auto twice =
        std::adjacent_find(records_.begin(), records_.end(),
                           [this](const auto& a, const auto& b) { return IdOf(a) == IdOf(b); });
    if (twice != records_.end())
        return "the unique id " + std::string(IdOf(*twice)) + " is there twice";
    untaken_ = records_.size();
    return {};
}

const THeaderMemory::TRecord* THeaderMemory::Find(std::string_view id) const {
    const auto at = std::lower_bound(
        records_.begin(), records_.end(), id,
        [this](const TRecord& r, std::string_view wanted) { return IdOf(r) < wanted; });
    if (at == records_.end() || IdOf(*at) != id || at->Taken)
        return nullptr;
    return &*at;
}

bool THeaderMemory::Knows(const std::string& id) const {
    return Find(id) != nullptr;
}

std::optional<std::string> THeaderMemory::Take(const std::string& id, std::size_t* place) {
    auto* r = const_cast<TRecord*>(Find(id));
    if (!r)
        return std::nullopt;
    r->Taken = true;
    if (place)
        *place = static_cast<std::size_t>(r - records_.data());
    std::string header(plain_.data() + r->HeaderAt, r->HeaderBytes);
    // The last one out: the remembered text is not needed any more, and at this point of a
    // listing every row holds its own copy of it.
    if (--untaken_ == 0) {
        std::string().swap(plain_);
        std::vector<TRecord>().swap(records_);
    }
    return header;
}

void THeaderMemory::ForEachRemembered(
    const std::function<void(std::size_t place, std::string_view header)>& each) const {
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (!records_[i].Taken)
            each(i,
                 std::string_view(plain_.data() + records_[i].HeaderAt, records_[i].HeaderBytes));
}

void THeaderMemory::Compress(int endDirective) {
    const auto end = static_cast<ZSTD_EndDirective>(endDirective);
    if (!compressor_) {
        compressor_.reset(ZSTD_createCCtx());
        if (!compressor_)
            throw std::bad_alloc();
        ZSTD_CCtx_setParameter(compressor_.get(), ZSTD_c_checksumFlag, 1);
        // The file is written at the end of every listing: speed counts more than the last
        // few percent of its size.
        ZSTD_CCtx_setParameter(compressor_.get(), ZSTD_c_compressionLevel, 1);
    }
    ZSTD_inBuffer in{staged_.data(), staged_.size(), 0};
    for (;;) {
        const size_t room = ZSTD_compressBound(in.size - in.pos) + ZSTD_CStreamOutSize();
        const size_t had = compressed_.size();
        // Grown in large steps on huge pages: a page fault costs more than compressing a page.
        if (had + room > compressed_.capacity())
            ReserveLarge(compressed_,
                         std::max({2 * compressed_.capacity(), had + room, kStageBytes * 8}));
        compressed_.resize(had + room);
        ZSTD_outBuffer out{compressed_.data() + had, room, 0};
        const size_t left = ZSTD_compressStream2(compressor_.get(), &out, &in, end);
        compressed_.resize(had + out.pos);
        if (ZSTD_isError(left))
            ZstdFailed(left);
        if (in.pos == in.size && (end == ZSTD_e_continue || left == 0))
            break;
    }
    staged_.clear();
}

void THeaderMemory::Append(TMsgNumber number, std::string_view id, std::string_view header) {
    PutU32(staged_, number);
    staged_.push_back(static_cast<char>(id.size()));
    PutU32(staged_, static_cast<uint32_t>(header.size()));
    staged_.append(id);
    staged_.append(header);
    notedBytes_ += kRecordHead + id.size() + header.size();
    // Compressing a megabyte at a time: each call costs a buffer of its own.
    if (staged_.size() >= kStageBytes)
        Compress(static_cast<int>(ZSTD_e_continue));
}

void THeaderMemory::Note(TMsgNumber number, std::string_view id, std::string_view header) {
    // A listing notes about as many mails as the one before remembered.
    if (notedIds_.empty())
        notedIds_.reserve(records_.size() + 1024);
    if (number == 0 || id.size() > kMaxUniqueIdLength || !IsUniqueId(id) ||
        header.size() > MaxHeaderBytes)
        return;
    notedIds_.push_back(IdHash(id));
    Append(number, id, header);
}

void THeaderMemory::DropRepeatedIds() {
    std::string all(notedBytes_, '\0');
    const size_t got =
        ZSTD_decompress(all.data(), all.size(), compressed_.data(), compressed_.size());
    if (ZSTD_isError(got))
        ZstdFailed(got);
    std::unordered_set<std::string_view> ids;
    staged_.clear();
    compressed_.clear();
    compressor_.reset();
    notedBytes_ = 0;
    // The records are as Append wrote them a moment ago.
    for (size_t pos = 0; pos + kRecordHead <= got;) {
        const TRecordHead head = ReadRecordHead(all.data() + pos);
        const std::string_view id(all.data() + pos + kRecordHead, head.IdBytes);
        if (ids.insert(id).second)
            Append(head.Number, id, {id.data() + head.IdBytes, head.HeaderBytes});
        pos += kRecordHead + head.IdBytes + head.HeaderBytes;
    }
    Compress(static_cast<int>(ZSTD_e_end));
}

const std::vector<std::pair<TMsgNumber, std::string>>& THeaderMemory::LastListing() const {
    if (!lastListing_) {
        // In the order the listing noted them, which the file keeps.
        std::vector<const TRecord*> listed;
        for (const TRecord& r : records_)
            if (r.Number != 0)
                listed.push_back(&r);
        std::sort(listed.begin(), listed.end(),
                  [](const TRecord* a, const TRecord* b) { return a->IdAt < b->IdAt; });
        lastListing_.emplace();
        lastListing_->reserve(listed.size());
        for (const TRecord* r : listed)
            lastListing_->emplace_back(r->Number, std::string(IdOf(*r)));
    }
    return *lastListing_;
}

void THeaderMemory::Save(const std::string& path, bool complete) {
    std::sort(notedIds_.begin(), notedIds_.end());
    const bool repeated = std::adjacent_find(notedIds_.begin(), notedIds_.end()) != notedIds_.end();
    if (!complete)
        for (const TRecord& r : records_)
            if (!r.Taken &&
                !std::binary_search(notedIds_.begin(), notedIds_.end(), IdHash(IdOf(r))))
                Append(0, IdOf(r), {plain_.data() + r.HeaderAt, r.HeaderBytes});
    // An empty listing still ends its (empty) frame.
    Compress(static_cast<int>(ZSTD_e_end));
    if (repeated)
        DropRepeatedIds();
    std::string file;
    file.reserve(kFirstLine.size() + key_.size() + 32 + compressed_.size());
    file.append(kFirstLine);
    file.append(kKeyWord).append(key_).push_back('\n');
    file.append(kRawWord).append(std::to_string(notedBytes_)).push_back('\n');
    file.append(compressed_);
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (!folder.empty())
        MakeOwnerOnlyFolder(folder);
    WriteFileAtomically(path, file);

    // What was saved is what the next listing starts from.
    compressor_.reset();
    compressed_.clear();
    staged_.clear();
    notedBytes_ = 0;
    notedIds_.clear();
    lastListing_.reset();
    records_.clear();
    plain_.clear();
    untaken_ = 0;
    state_ = TState::None;
    problem_.clear();
}

std::string HeaderMemoryKey(bool headerTextsAsSent, uint32_t bodyLines) {
    return "as-sent=" + std::to_string(headerTextsAsSent ? 1 : 0) +
           " lines=" + std::to_string(bodyLines);
}
