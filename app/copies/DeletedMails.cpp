#include "DeletedMails.h"

#include "AccountData.h"
#include "ByteText.h"
#include "KeptCopyTexts.h"
#include "LanguageTexts.h"
#include "ListColumns.h"
#include "MailRows.h"
#include "MbxMsg.h"

#include <QFile>

#include <algorithm>

std::vector<TDeletedMail> ReadDeletedMails(const QString& root) {
    std::vector<TDeletedMail> mails;
    for (const QString& folder : KeptCopyFolders(root)) {
        for (TKeptCopy& copy : TKeptCopies(QFile::encodeName(folder).toStdString()).List()) {
            TDeletedMail mail;
            // The header fields decoded as the message window shows them.
            TMbxMsg header;
            header.RawMail = MailLines(copy.Header);
            header.Parse();
            mail.From = FromMailText(header.From);
            mail.Subject = FromMailText(header.Subject);
            const TMailRowData row = MailRowData(0, -1, copy.Header);
            mail.HasDate = row.HasDate;
            mail.DateMs = row.DateMs;
            mail.Copy = std::move(copy);
            mails.push_back(std::move(mail));
        }
    }
    std::stable_sort(mails.begin(), mails.end(), [](const TDeletedMail& a, const TDeletedMail& b) {
        return a.Copy.DeletedAt > b.Copy.DeletedAt;
    });
    return mails;
}

bool MatchesSearch(const TDeletedMail& mail, const QString& text) {
    return mail.From.contains(text, Qt::CaseInsensitive) ||
           mail.Subject.contains(text, Qt::CaseInsensitive);
}

QString TotalsText(const TDeletedTotals& shown, int all, bool german) {
    const QString size = FromBytes(DisplaySize(std::to_string(shown.Bytes)));
    if (shown.Count == all)
        return Tr(CopyTexts::RecentTotals, german).arg(all).arg(size);
    return Tr(CopyTexts::RecentTotalsShown, german).arg(shown.Count).arg(all).arg(size);
}
