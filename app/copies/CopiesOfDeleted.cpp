#include "CopiesOfDeleted.h"

#include "AccountData.h"
#include "ByteText.h"
#include "Frame.h"
#include "KeptCopyPass.h"
#include "KeptCopyTexts.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "RecentlyDeleted.h"
#include "SettingsStore.h"
#include "email.h"

#include <QAction>
#include <QFile>
#include <QMainWindow>
#include <QMenu>

#include <algorithm>
#include <exception>
#include <unordered_map>

namespace {

// Right after the entry `after` of the menu.
void InsertAfter(QMenu& menu, QAction* after, const QList<QAction*>& entries) {
    const QList<QAction*> all = menu.actions();
    menu.insertActions(all.value(all.indexOf(after) + 1, nullptr), entries);
}

} // namespace

TCopiesOfDeleted::TCopiesOfDeleted(TFrame& frame)
    : Keep(new QAction(&frame.Window())), Recent(new QAction(&frame.Window())), frame_(frame) {
    Keep->setObjectName(QStringLiteral("Datei_K"));
    Keep->setCheckable(true);
    Keep->setChecked(true);
    Recent->setObjectName(QStringLiteral("Datei_Z"));
    InsertAfter(frame.ServerMenu(), frame.ServerOptions(), {Keep, Recent});
    connect(Recent, &QAction::triggered, this, &TCopiesOfDeleted::OpenRecentlyDeleted);

    const TSettingsStore& settings = frame.Settings();
    Keep->setChecked(settings.ReadInteger(QStringLiteral("KeepCopies"), 1) != 0);
    limitMB_ = std::max(0, settings.ReadInteger(QStringLiteral("KeepCopiesLimitMB"), 25));
    days_ = std::max(1, settings.ReadInteger(QStringLiteral("KeepCopiesDays"), 30));
    RemoveExpiredCopies();
}

void TCopiesOfDeleted::LanguageChanged(bool germanUI) {
    Keep->setText(Tr(CopyTexts::MenuKeepCopies, germanUI));
    Recent->setText(Tr(CopyTexts::MenuRecentlyDeleted, germanUI));
}

void TCopiesOfDeleted::WriteSettings() {
    TSettingsStore& settings = frame_.Settings();
    settings.WriteInteger(QStringLiteral("KeepCopies"), KeepCopies() ? 1 : 0);
    settings.WriteInteger(QStringLiteral("KeepCopiesLimitMB"), limitMB_);
    settings.WriteInteger(QStringLiteral("KeepCopiesDays"), days_);
}

bool TCopiesOfDeleted::KeepCopies() const {
    return Keep->isChecked();
}

uint64_t TCopiesOfDeleted::KeepCopiesLimit() const {
    return uint64_t(limitMB_) * 1024 * 1024;
}

QString TCopiesOfDeleted::DeletionNote() const {
    if (!KeepCopies())
        return {};
    const bool german = frame_.GermanUI();
    const TMailRows& listed = frame_.Rows();
    QString note = Tr(CopyTexts::KeptFor, german).arg(days_);
    const auto rows = listed.MarkedRows();
    const auto count = [&](const auto& holds) {
        return std::count_if(rows.begin(), rows.end(),
                             [&](int row) { return holds(listed.OctetsAt(row)); });
    };
    const auto over = count(
        [this](long long octets) { return octets > static_cast<long long>(KeepCopiesLimit()); });
    // A count-only listing knows no sizes: the limit is applied once they are asked for, just
    // before the copies, so the note can only say that some may go without one.
    const auto unknown = count([](long long octets) { return octets < 0; });
    const auto addLine = [&](long long mails, const TText& one, const TText& many) {
        if (mails == 0)
            return;
        QString line = Tr(mails == 1 ? one : many, german);
        if (mails != 1)
            line = line.arg(mails);
        note += u'\n' + line.replace(QStringLiteral("%2"), QString::number(limitMB_));
    };
    addLine(over, CopyTexts::OverLimitOne, CopyTexts::OverLimitMany);
    addLine(unknown, CopyTexts::SizeUnknownOne, CopyTexts::SizeUnknownMany);
    // What the copies take on the local disk: the listed sizes of the mails that get one.
    unsigned long long disk = 0;
    for (const int row : rows) {
        const long long octets = listed.OctetsAt(row);
        if (octets >= 0 && octets <= static_cast<long long>(KeepCopiesLimit()))
            disk += static_cast<unsigned long long>(octets);
    }
    if (disk > 0 || unknown == 0)
        note += u'\n' + Tr(unknown == 0 ? CopyTexts::DiskAbout : CopyTexts::DiskAtLeast, german)
                            .arg(FromBytes(DisplaySize(std::to_string(disk))));
    return note;
}

bool TCopiesOfDeleted::DeleteMails(const std::vector<TMsgNumber>& numbers, TDeletionRun& run) {
    if (!KeepCopies())
        return false;
    TMbxPOP& pop3 = frame_.Session();
    const TMailRows& rows = frame_.Rows();
    TKeptCopyPass pass(QFile::encodeName(KeptCopiesFolder(frame_.AccountFolder())).toStdString());
    // Each row's size, looked up once: thousands of marked mails are usual. The rows carry the
    // numbers of the listing, which a later session may have shifted.
    std::vector<int> listedNumbers;
    for (const TMsgNumber n : numbers)
        listedNumbers.push_back(static_cast<int>(run.ListedNumberOf(n)));
    std::unordered_map<TMsgNumber, long long> listed;
    for (const int row : rows.RowsOf(listedNumbers))
        listed.emplace(static_cast<TMsgNumber>(rows.NumberAt(row)), rows.OctetsAt(row));
    const auto octetsOf = [&](TMsgNumber n) {
        const auto found = listed.find(run.ListedNumberOf(n));
        return found == listed.end() ? -1LL : found->second;
    };
    std::vector<TMbxPOP::TMarkedMail> marked;
    for (const TMsgNumber n : numbers) {
        long long octets = octetsOf(n);
        if (octets < 0) {
            // A count-only listing knows no sizes; the limit needs them.
            std::string size;
            pop3.GetMsgSize(static_cast<int>(n), size);
            if (!pop3.Connected() || run.Aborted()) {
                run.Finish(TMbxPOP::TPassEnd::SessionEnded, {}, {});
                return true;
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
            run.Accepted(n);
        },
        [&](const TDeletionProgress& progress) { run.Progress(last, progress); });
    // Once QUIT goes out these copies stay, whatever comes back (the pass keeps them).
    run.CopiesKept(pass.CopiesOfDeleted());
    if (run.Aborted())
        return true;
    TMarkedMails deletedMails;
    for (const TMsgNumber n : pass.Deleted()) {
        const long long octets = octetsOf(n);
        ++deletedMails.Count;
        deletedMails.SizeKnown = deletedMails.SizeKnown && octets >= 0;
        deletedMails.Octets += std::max(octets, 0LL);
    }
    const bool gone = run.Finish(end, pass.Deleted(), deletedMails);
    if (pass.Failures().empty())
        return true;
    if (gone) {
        // The success line would claim them all.
        frame_.StatusClear();
        frame_.StatusAppendText(CopyTexts::OthersDeleted);
    }
    frame_.StatusAppendText(CopyTexts::NotDeleted);
    for (const auto& failure : pass.Failures())
        frame_.StatusAppend(Tr(CopyTexts::NotDeletedMail, frame_.GermanUI())
                                .arg(run.ListedNumberOf(failure.Number))
                                .arg(QString::fromLocal8Bit(failure.Why.c_str())));
    if (gone)
        frame_.StatusAppendText(Texts::Terminated);
    return true;
}

void TCopiesOfDeleted::RemoveExpiredCopies() {
    try {
        for (const QString& folder : KeptCopyFolders(KeptCopiesRoot()))
            TKeptCopies(QFile::encodeName(folder).toStdString())
                .RemoveOlderThan(days_, KeptCopyNow());
    } catch (const std::exception& e) {
        frame_.StatusAppend(Tr(CopyTexts::CopiesNotRemoved, frame_.GermanUI())
                                .arg(QString::fromLocal8Bit(e.what())));
    }
}

void TCopiesOfDeleted::OpenRecentlyDeleted() {
    // An opened copy becomes the current mail, so that its attachments can be saved.
    TRecentlyDeleted window(
        KeptCopiesRoot(), frame_.GermanUI(),
        [this](std::unique_ptr<TMbxMsg> msg) { frame_.ShowMail(std::move(msg)); },
        &frame_.Window());
    window.exec();
}
