// Copies of deleted mail: the option, the deletion that keeps them, their retention and the
// window that lists them.
#include "AccountData.h"
#include "ByteText.h"
#include "KeptCopyPass.h"
#include "KeptCopyTexts.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "Main.h"
#include "MultiLst.h"
#include "RecentlyDeleted.h"
#include "email.h"

#include <QAction>
#include <QFile>
#include <QMenu>

#include <algorithm>
#include <exception>
#include <unordered_map>

void TForm1::BuildCopyOptions() {
    Datei_K = new QAction(this);
    Datei_K->setObjectName(QStringLiteral("Datei_K"));
    Datei_K->setCheckable(true);
    Datei_K->setChecked(true);
    Datei_Z = new QAction(this);
    Datei_Z->setObjectName(QStringLiteral("Datei_Z"));
    Datei->insertActions(Datei_E, {Datei_K, Datei_Z});
    connect(Datei_Z, &QAction::triggered, this, &TForm1::Datei_ZClick);
}

void TForm1::ApplyCopyTexts() {
    Datei_K->setText(Tr(CopyTexts::MenuKeepCopies, GermanUI()));
    Datei_Z->setText(Tr(CopyTexts::MenuRecentlyDeleted, GermanUI()));
}

void TForm1::LoadCopyOptions() {
    Datei_K->setChecked(FSettings.ReadInteger(QStringLiteral("KeepCopies"), 1) != 0);
    FKeepCopiesLimitMB = std::max(0, FSettings.ReadInteger(QStringLiteral("KeepCopiesLimitMB"), 25));
    FKeepCopiesDays = std::max(1, FSettings.ReadInteger(QStringLiteral("KeepCopiesDays"), 30));
}

void TForm1::SaveCopyOptions() {
    FSettings.WriteInteger(QStringLiteral("KeepCopies"), KeepCopies() ? 1 : 0);
    FSettings.WriteInteger(QStringLiteral("KeepCopiesLimitMB"), FKeepCopiesLimitMB);
    FSettings.WriteInteger(QStringLiteral("KeepCopiesDays"), FKeepCopiesDays);
}

bool TForm1::KeepCopies() const {
    return Datei_K->isChecked();
}

uint64_t TForm1::KeepCopiesLimit() const {
    return uint64_t(FKeepCopiesLimitMB) * 1024 * 1024;
}

QString TForm1::KeptCopiesNote() const {
    if (!KeepCopies())
        return {};
    QString note = Tr(CopyTexts::KeptFor, GermanUI()).arg(FKeepCopiesDays);
    const auto rows = mail_list->MarkedRows();
    const auto count = [&](const auto& holds) {
        return std::count_if(rows.begin(), rows.end(),
                             [&](int row) { return holds(OctetsOf(*mail_list->item(row))); });
    };
    const auto over = count(
        [this](long long octets) { return octets > static_cast<long long>(KeepCopiesLimit()); });
    // A count-only listing knows no sizes: the limit is applied once they are asked for, just
    // before the copies, so the note can only say that some may go without one.
    const auto unknown = count([](long long octets) { return octets < 0; });
    const auto addLine = [&](long long mails, const TText& one, const TText& many) {
        if (mails == 0)
            return;
        QString line = Tr(mails == 1 ? one : many, GermanUI());
        if (mails != 1)
            line = line.arg(mails);
        note += u'\n' + line.replace(QStringLiteral("%2"), QString::number(FKeepCopiesLimitMB));
    };
    addLine(over, CopyTexts::OverLimitOne, CopyTexts::OverLimitMany);
    addLine(unknown, CopyTexts::SizeUnknownOne, CopyTexts::SizeUnknownMany);
    // What the copies take on the local disk: the listed sizes of the mails that get one.
    unsigned long long disk = 0;
    for (const int row : rows) {
        const long long octets = OctetsOf(*mail_list->item(row));
        if (octets >= 0 && octets <= static_cast<long long>(KeepCopiesLimit()))
            disk += static_cast<unsigned long long>(octets);
    }
    if (disk > 0 || unknown == 0)
        note += u'\n' + Tr(unknown == 0 ? CopyTexts::DiskAbout : CopyTexts::DiskAtLeast, GermanUI())
                            .arg(FromBytes(DisplaySize(std::to_string(disk))));
    return note;
}

void TForm1::DeleteKeepingCopies(const std::vector<TMsgNumber>& numbers,
                                 const std::function<void(TMsgNumber)>& deleted) {
    TKeptCopyPass pass(QFile::encodeName(KeptCopiesFolder(AccountFolder())).toStdString());
    // Each row's size, looked up once: thousands of marked mails are usual.
    std::unordered_map<TMsgNumber, long long> listed;
    for (const int row :
         RowsOfNumbers(*mail_list, std::vector<int>(numbers.begin(), numbers.end())))
        listed.emplace(static_cast<TMsgNumber>(MessageNumberOf(*mail_list->item(row))),
                       OctetsOf(*mail_list->item(row)));
    const auto octetsOf = [&](TMsgNumber n) {
        const auto found = listed.find(n);
        return found == listed.end() ? -1LL : found->second;
    };
    std::vector<TMbxPOP::TMarkedMail> marked;
    for (const TMsgNumber n : numbers) {
        long long octets = octetsOf(n);
        if (octets < 0) {
            // A count-only listing knows no sizes; the limit needs them.
            std::string size;
            pop3.GetMsgSize(static_cast<int>(n), size);
            if (!pop3.Connected() || Aborted()) {
                FinishDeletion(TMbxPOP::TPassEnd::SessionEnded, {}, {});
                return;
            }
            octets = std::stoll(size);
        }
        marked.push_back({n, static_cast<uint64_t>(octets)});
    }
    TMsgNumber last = 0; // the last mail whose DELE was taken
    const auto end = pass.Run(
        pop3, marked, KeepCopiesLimit(), KeptCopyNow(),
        [&](TMsgNumber n) {
            last = n;
            deleted(n);
        },
        [&](const TDeletionProgress& progress) { ShowDeletionProgress(last, progress); });
    // Once QUIT goes out these copies stay, whatever comes back (the pass keeps them).
    FCopiesOfAccepted = pass.CopiesOfDeleted();
    if (Aborted())
        return;
    TMarkedMails deletedMails;
    for (const TMsgNumber n : pass.Deleted()) {
        const long long octets = octetsOf(n);
        ++deletedMails.Count;
        deletedMails.SizeKnown = deletedMails.SizeKnown && octets >= 0;
        deletedMails.Octets += std::max(octets, 0LL);
    }
    const bool gone = FinishDeletion(end, pass.Deleted(), deletedMails);
    if (pass.Failures().empty())
        return;
    if (gone) {
        // The success line would claim them all.
        StatusClear();
        StatusAppendText(CopyTexts::OthersDeleted);
    }
    StatusAppendText(CopyTexts::NotDeleted);
    for (const auto& failure : pass.Failures())
        StatusAppend(Tr(CopyTexts::NotDeletedMail, GermanUI())
                         .arg(failure.Number)
                         .arg(QString::fromLocal8Bit(failure.Why.c_str())));
    if (gone)
        StatusAppendText(Texts::Terminated);
}

void TForm1::RemoveExpiredCopies() {
    try {
        for (const QString& folder : KeptCopyFolders(KeptCopiesRoot()))
            TKeptCopies(QFile::encodeName(folder).toStdString())
                .RemoveOlderThan(FKeepCopiesDays, KeptCopyNow());
    } catch (const std::exception& e) {
        StatusAppend(
            Tr(CopyTexts::CopiesNotRemoved, GermanUI()).arg(QString::fromLocal8Bit(e.what())));
    }
}

void TForm1::Datei_ZClick() {
    // An opened copy becomes the current mail, so that its attachments can be saved.
    TRecentlyDeleted window(
        KeptCopiesRoot(), GermanUI(),
        [this](std::unique_ptr<TMbxMsg> msg) {
            if (!FMessageWindow)
                return;
            CurrentMsg = std::move(msg);
            FMessageWindow->ShowMessageOf(*CurrentMsg);
            FMessageWindow->exec();
        },
        this);
    window.exec();
}
