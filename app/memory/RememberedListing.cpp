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
    remembered_.Take = [this](const std::string& id) { return Memory().Take(id); };
}

void TRememberedListing::LanguageChanged(bool germanUI) {
    ListAfresh->setText(Tr(MemoryTexts::MenuListAfresh, germanUI));
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
    loading_ = {};
    listing_ = start.Full && start.WithIds;
    if (!listing_ || afresh_ || !QFile::exists(HeaderMemoryFile(frame_.AccountFolder())))
        return;
    // Decompressing a big mailbox's headers takes as long as a few round trips: it runs while
    // the server answers UIDL and LIST, which come before any header is needed.
    loadingKey_ = Key();
    loading_ = std::async(std::launch::async, [file = File(), key = loadingKey_] {
        return THeaderMemory::Load(file, key);
    });
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
        memory_ = loading_.get();
        // Another component changed what decides the rows' bytes after the read began.
        if (loadingKey_ != Key())
            memory_ = THeaderMemory::Load(File(), Key());
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

void TRememberedListing::MailArrived(int, std::string& listed) {
    if (listing_)
        arrived_ = listed;
}

void TRememberedListing::MailListed(const TListedMail& mail, TMailAnswer&) {
    if (!listing_ || (!memory_ && !loading_.valid()))
        return;
    if (!mail.Id.empty())
        Memory().Note(static_cast<TMsgNumber>(mail.Number), mail.Id, arrived_);
    arrived_.clear();
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
}
