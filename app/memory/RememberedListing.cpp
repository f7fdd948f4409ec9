#include "RememberedListing.h"

#include "AccountData.h"
#include "Frame.h"
#include "MbxPOP3.h"
#include "MemoryTexts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMenu>

#include <exception>
#include <utility>

TRememberedListing::TRememberedListing(TFrame& frame)
    : ListAfresh(new QAction(&frame.Window())), frame_(frame) {
    ListAfresh->setObjectName(QStringLiteral("Datei_N"));
    // Right below Connect, as another way of it.
    const QList<QAction*> entries = frame.ServerMenu().actions();
    frame.ServerMenu().insertAction(entries.value(1, frame.ServerEnd()), ListAfresh);
    connect(ListAfresh, &QAction::triggered, this, [this] {
        afresh_ = true;
        frame_.ConnectAndList();
        // A connect that never got to its listing leaves the next one as usual.
        afresh_ = false;
    });
    remembered_.Knows = [this](const std::string& id) { return Memory().Knows(id); };
    remembered_.Take = [this](const std::string& id) {
        std::optional<std::string> header = Memory().Take(id, &lastPlace_);
        // The listing's own id, alive while its row is made.
        lastTaken_ = header ? std::string_view(id) : std::string_view();
        return header;
    };
}

void TRememberedListing::LanguageChanged(bool germanUI) {
    ListAfresh->setText(Tr(MemoryTexts::MenuListAfresh, germanUI));
    // Rows made ahead in the other language are no use now.
    columns_.reset();
}

void TRememberedListing::StateChanged(int state) {
    ListAfresh->setEnabled(state == TFrame::StateIdle);
}

std::string TRememberedListing::Key() const {
    return HeaderMemoryKey(frame_.HeaderTextsAsSent(), frame_.Session().ListBodyLines);
}

std::string TRememberedListing::File() const {
    return QFile::encodeName(HeaderMemoryFile(frame_.AccountFolder())).toStdString();
}

void TRememberedListing::ListingBegins(const TListingStart& start) {
    memory_.reset();
    columns_.reset();
    lastTaken_ = {};
    loading_ = {};
    listing_ = start.Full && start.WithIds;
    if (!listing_ || afresh_ || !QFile::exists(HeaderMemoryFile(frame_.AccountFolder())))
        return;
    // Decompressing a big mailbox's headers takes as long as a few round trips: it runs while
    // the server answers UIDL and LIST, which come before any header is needed.
    loadingKey_ = Key();
    loadingGerman_ = frame_.GermanUI();
    // The rows' columns are the costliest part of a row: they are made here too, on the
    // machine's other core, while nothing else touches the memory.
    loading_ =
        std::async(std::launch::async, [file = File(), key = loadingKey_, german = loadingGerman_,
                                        asSent = frame_.HeaderTextsAsSent()] {
            TLoaded loaded{THeaderMemory::Load(file, key), {}};
            if (loaded.Memory.State() != THeaderMemory::TState::Loaded)
                return loaded;
            loaded.Columns.Reserve(loaded.Memory.RememberedCount());
            loaded.Memory.ForEachRemembered([&](std::size_t place, std::string_view header) {
                // Nothing is taken yet: the places come one after another from 0.
                if (place == loaded.Columns.Count())
                    loaded.Columns.Add(RowColumnsOf(std::string(header), german, asSent));
            });
            if (loaded.Columns.Count() != loaded.Memory.RememberedCount())
                loaded.Columns = {};
            return loaded;
        });
}

std::optional<TRowColumnsView> TRememberedListing::PreparedColumns(std::string_view id) {
    if (!columns_ || lastTaken_.empty() || id != lastTaken_ || lastPlace_ >= columns_->Count())
        return std::nullopt;
    lastTaken_ = {};
    return columns_->At(lastPlace_);
}

const TMbxPOP::TRemembered* TRememberedListing::RememberedHeaders() {
    if (!listing_)
        return nullptr;
    if (loading_.valid())
        return &remembered_;
    // No file, or everything afresh: the listing asks for each mail as it always did.
    memory_ = THeaderMemory(Key());
    return nullptr;
}

THeaderMemory& TRememberedListing::Memory() {
    if (memory_)
        return *memory_;
    if (!loading_.valid())
        return memory_.emplace(Key());
    try {
        TLoaded loaded = loading_.get();
        memory_ = std::move(loaded.Memory);
        // The language may have changed while the rows were made.
        if (loadingGerman_ == frame_.GermanUI())
            columns_ = std::move(loaded.Columns);
        // Another component changed what decides the rows' bytes after the read began.
        if (loadingKey_ != Key()) {
            memory_ = THeaderMemory::Load(File(), Key());
            columns_.reset();
        }
    } catch (const std::exception& e) {
        memory_ = THeaderMemory(Key());
        frame_.StatusAppend(
            Tr(MemoryTexts::FileUnusable, frame_.GermanUI())
                .arg(QDir::toNativeSeparators(HeaderMemoryFile(frame_.AccountFolder())),
                     QString::fromLocal8Bit(e.what())));
    }
    // Said once: the file is replaced after this listing.
    if (memory_->State() == THeaderMemory::TState::Damaged)
        frame_.StatusAppend(
            Tr(MemoryTexts::FileUnusable, frame_.GermanUI())
                .arg(QDir::toNativeSeparators(HeaderMemoryFile(frame_.AccountFolder())),
                     QString::fromStdString(memory_->Problem())));
    return *memory_;
}

void TRememberedListing::MailListed(const TListedMail& mail, TMailAnswer&) {
    if (!listing_ || (!memory_ && !loading_.valid()))
        return;
    if (!mail.Id.empty())
        Memory().Note(static_cast<TMsgNumber>(mail.Number), mail.Id, mail.Arrived);
}

void TRememberedListing::ListingEnded(bool complete) {
    if (!listing_)
        return;
    listing_ = false;
    // Ended before a row came (a refused UIDL, say): the file stays as it was.
    if (!memory_) {
        if (loading_.valid())
            loading_.wait();
        loading_ = {};
        return;
    }
    try {
        memory_->Save(File(), complete);
    } catch (const std::exception& e) {
        frame_.StatusAppend(
            Tr(MemoryTexts::NotSaved, frame_.GermanUI()).arg(QString::fromLocal8Bit(e.what())));
    }
    memory_.reset();
    columns_.reset();
    lastTaken_ = {};
}
