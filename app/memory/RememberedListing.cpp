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
    remembered_.Knows = [this](const std::string& id) { return memory_ && memory_->Knows(id); };
    remembered_.Take = [this](const std::string& id) -> std::optional<std::string> {
        if (!memory_)
            return std::nullopt;
        return memory_->Take(id);
    };
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
    listing_ = start.Full && start.WithIds;
}

const TMbxPOP::TRemembered* TRememberedListing::RememberedHeaders() {
    if (!listing_)
        return nullptr;
    // Read here, after every component had its say on what the listing asks for.
    try {
        memory_ = afresh_ ? THeaderMemory() : THeaderMemory::Load(File(), Key());
    } catch (const std::exception& e) {
        memory_ = THeaderMemory();
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
    // Nothing to take from: the listing asks for each mail as it always did.
    return memory_->Count() > 0 ? &remembered_ : nullptr;
}

void TRememberedListing::MailArrived(int, std::string& listed) {
    if (listing_)
        arrived_ = listed;
}

void TRememberedListing::MailListed(const TListedMail& mail, TMailAnswer&) {
    if (!listing_ || !memory_)
        return;
    if (!mail.Id.empty())
        memory_->Note(static_cast<TMsgNumber>(mail.Number), mail.Id, arrived_);
    arrived_.clear();
}

void TRememberedListing::ListingEnded(bool complete) {
    if (!listing_ || !memory_)
        return;
    listing_ = false;
    try {
        memory_->Save(File(), complete);
    } catch (const std::exception& e) {
        frame_.StatusAppend(
            Tr(MemoryTexts::NotSaved, frame_.GermanUI()).arg(QString::fromLocal8Bit(e.what())));
    }
    memory_.reset();
}
