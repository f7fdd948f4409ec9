#include "Unsubscribe.h"

#include "AccountData.h"
#include "Frame.h"
#include "MailRows.h"
#include "RulesOnListing.h"
#include "SenderListEntries.h"
#include "SpamScores.h"
#include "UnsubscribeTexts.h"

#include <QAction>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <system_error>

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The order of preference: one click, then the page, the mail, and http last.
const TUnsubscribeMethod* Preferred(const TUnsubscribeOffer& offer) {
    for (const auto kind : {TUnsubscribeKind::OneClick, TUnsubscribeKind::Page,
                            TUnsubscribeKind::Mail, TUnsubscribeKind::Insecure})
        if (const TUnsubscribeMethod* method = offer.First(kind))
            return method;
    return nullptr;
}

// The server a method goes to: the host, or a mailto's address.
QString Target(const TUnsubscribeMethod& method) {
    const QUrl url(FromUtf8(method.Uri));
    return method.Kind == TUnsubscribeKind::Mail ? url.path() : url.host();
}

QString ListShown(const TUnsubscribeOffer& offer) {
    const QString list = FromUtf8(offer.List);
    return offer.ListName.empty() ? list : FromUtf8(offer.ListName) + " <" + list + ">";
}

QString DateShown(std::int64_t seconds, bool german) {
    return QLocale(german ? QLocale::German : QLocale::English)
        .toString(QDateTime::fromSecsSinceEpoch(seconds), QLocale::ShortFormat);
}

QString DkimLine(const TUnsubscribeOffer& offer, bool german) {
    using namespace UnsubscribeTexts;
    const QString domain = FromUtf8(offer.SigningDomain);
    QString line;
    switch (offer.Dkim) {
    case TDkimCoverage::Covers:
        line = Tr(DkimCovers, german).arg(domain);
        break;
    case TDkimCoverage::LeavesOut:
        line = Tr(DkimLeavesOut, german).arg(domain);
        break;
    case TDkimCoverage::OtherDomain:
        line = Tr(DkimOther, german).arg(domain);
        break;
    case TDkimCoverage::NoSignature:
        return Tr(DkimNone, german);
    }
    return line + Tr(DkimUnverified, german);
}

} // namespace

TUnsubscribe::TUnsubscribe(TFrame& frame, TRulesOnListing& rules, TSpamScores& spam,
                           TSenderListEntries& senders)
    : frame_(frame), rules_(rules), spam_(spam), senders_(senders) {
    frame.RowMenu().addSeparator();
    men_unsubscribe = new QAction(&frame.Window());
    men_unsubscribe->setObjectName(QStringLiteral("men_unsubscribe"));
    frame.RowMenu().addAction(men_unsubscribe);
    connect(men_unsubscribe, &QAction::triggered, this, &TUnsubscribe::UnsubscribeCurrent);
    connect(&frame.RowMenu(), &QMenu::aboutToShow, this, &TUnsubscribe::ApplyTexts);
}

void TUnsubscribe::LanguageChanged(bool) {
    ApplyTexts();
}

void TUnsubscribe::ApplyTexts() {
    const bool german = frame_.GermanUI();
    const TMailRows& rows = frame_.Rows();
    const TUnsubscribeOffer offer = UnsubscribeOffer(rows.HeaderOf(rows.CurrentNumber()));
    men_unsubscribe->setText(offer.Any() ? Tr(UnsubscribeTexts::Entry, german).arg(ListShown(offer))
                                         : Tr(UnsubscribeTexts::EntryNone, german));
    men_unsubscribe->setEnabled(frame_.ControlState() == TFrame::StateListed && offer.Any() &&
                                !post_.Running());
}

void TUnsubscribe::ListingBegins(const TListingStart&) {
    memoryFile_ = UnsubscribedListsFile(frame_.AccountFolder());
    const std::string problem = memory_.Load(QFile::encodeName(memoryFile_).toStdString());
    if (!problem.empty())
        frame_.StatusAppend(Tr(UnsubscribeTexts::MemoryUnusable, frame_.GermanUI())
                                .arg(QDir::toNativeSeparators(memoryFile_), FromUtf8(problem)));
    // The flag goes into the Rule column, shown whether or not rules run.
    if (!memory_.Empty())
        frame_.ShowColumn(RuleColumn, true);
}

void TUnsubscribe::MailListed(const TListedMail& mail, TMailAnswer& answer) {
    if (memory_.Empty() || !answer.Row.HasDate)
        return;
    const TUnsubscribeOffer offer = UnsubscribeOffer(mail.Header);
    const std::int64_t since = memory_.Since(offer.List);
    if (!StillSending(since, answer.Row.DateMs))
        return;
    const bool german = frame_.GermanUI();
    std::string& cell = answer.Cells[RuleColumn - FirstExtraColumn];
    const std::string flag = Tr(UnsubscribeTexts::StillSendingCell, german).toStdString();
    cell = cell.empty() ? flag : cell + ", " + flag;
    QString& tip = answer.Tips[static_cast<int>(TRowTip::Rule)];
    const QString line = Tr(UnsubscribeTexts::StillSendingTip, german)
                             .arg(ListShown(offer), DateShown(since, german));
    tip = tip.isEmpty() ? line : tip + "\n" + line;
}

void TUnsubscribe::UnsubscribeCurrent() {
    UnsubscribeFrom(frame_.Rows().CurrentNumber());
}

void TUnsubscribe::UnsubscribeFrom(int number) {
    const TMailRows& rows = frame_.Rows();
    if (frame_.ControlState() != TFrame::StateListed || number == 0 || post_.Running())
        return;
    const bool german = frame_.GermanUI();
    const TUnsubscribeOffer offer = UnsubscribeOffer(rows.HeaderOf(number));
    const TUnsubscribeMethod* method = Preferred(offer);
    if (!method)
        return;
    const TScoreResult* score = spam_.ScoreOf(number);
    if (score && score->Score && score->Score->IsSpam) {
        OfferBlockInstead(Tr(UnsubscribeTexts::SpamInstead, german));
        return;
    }
    if (rules_.Blocked(number)) {
        OfferBlockInstead(Tr(UnsubscribeTexts::BlockedInstead, german));
        return;
    }
    if (Confirmed(offer, *method, memory_.Since(offer.List)))
        Open(offer, *method);
}

bool TUnsubscribe::Confirmed(const TUnsubscribeOffer& offer, const TUnsubscribeMethod& method,
                             std::int64_t since) {
    using namespace UnsubscribeTexts;
    const bool german = frame_.GermanUI();
    QMessageBox box(&frame_.Window());
    box.setObjectName(QStringLiteral("unsubscribe_question"));
    box.setWindowTitle(Tr(Title, german));
    const bool insecure = method.Kind == TUnsubscribeKind::Insecure;
    box.setIcon(insecure ? QMessageBox::Warning : QMessageBox::Question);
    const TText* how = method.Kind == TUnsubscribeKind::OneClick ? &HowOneClick
                       : method.Kind == TUnsubscribeKind::Page   ? &HowPage
                       : method.Kind == TUnsubscribeKind::Mail   ? &HowMail
                                                                 : &HowHttp;
    QString text =
        Tr(Question, german).arg(FromUtf8(offer.Sender), ListShown(offer), Target(method)) +
        "\n\n" + Tr(*how, german) + "\n\n" + DkimLine(offer, german);
    if (since > 0)
        text += "\n\n" + Tr(StillSendingNote, german).arg(DateShown(since, german));
    box.setText(text);
    const TText& go = method.Kind == TUnsubscribeKind::OneClick ? Confirm
                      : method.Kind == TUnsubscribeKind::Mail   ? WriteMail
                                                                : OpenPage;
    QPushButton* confirm = box.addButton(Tr(go, german), QMessageBox::AcceptRole);
    confirm->setObjectName(QStringLiteral("unsubscribe_confirm"));
    QPushButton* block = nullptr;
    if (since > 0) {
        block = box.addButton(Tr(BlockSender, german), QMessageBox::DestructiveRole);
        block->setObjectName(QStringLiteral("unsubscribe_block"));
    }
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    // http is never the default.
    box.setDefaultButton(insecure ? cancel : confirm);
    box.exec();
    if (block && box.clickedButton() == block)
        senders_.AlwaysFrom(false, false);
    return box.clickedButton() == confirm;
}

void TUnsubscribe::OfferBlockInstead(const QString& why) {
    const bool german = frame_.GermanUI();
    QMessageBox box(&frame_.Window());
    box.setObjectName(QStringLiteral("unsubscribe_question"));
    box.setWindowTitle(Tr(UnsubscribeTexts::Title, german));
    box.setIcon(QMessageBox::Warning);
    box.setText(why);
    QPushButton* block =
        box.addButton(Tr(UnsubscribeTexts::BlockSender, german), QMessageBox::AcceptRole);
    block->setObjectName(QStringLiteral("unsubscribe_block"));
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
    box.exec();
    if (box.clickedButton() == block)
        senders_.AlwaysFrom(false, false);
}

void TUnsubscribe::Open(const TUnsubscribeOffer& offer, const TUnsubscribeMethod& method) {
    using namespace UnsubscribeTexts;
    const bool german = frame_.GermanUI();
    const QUrl url(FromUtf8(method.Uri));
    frame_.StatusClear();
    if (method.Kind == TUnsubscribeKind::OneClick) {
        frame_.StatusAppend(Tr(PostingTo, german).arg(url.host()));
        const std::string list = offer.List;
        post_.Start(url, [this, list](const TOneClickResult& result) {
            const bool german = frame_.GermanUI();
            frame_.StatusAppend(Tr(Outcome, german).arg(result.Text(german)));
            if (result.Ok())
                Remember(list);
        });
        return;
    }
    const QString where = Tr(method.Kind == TUnsubscribeKind::Mail ? MailClient : Browser, german);
    if (!QDesktopServices::openUrl(url)) {
        frame_.StatusAppend(Tr(NotHandedOver, german).arg(where, Target(method)));
        return;
    }
    frame_.StatusAppend(Tr(HandedOver, german).arg(where, Target(method)));
    Remember(offer.List);
}

void TUnsubscribe::Remember(const std::string& list) {
    if (list.empty())
        return;
    try {
        memory_.Add(list, QDateTime::currentSecsSinceEpoch());
    } catch (const std::system_error& error) {
        frame_.StatusAppend(
            Tr(UnsubscribeTexts::NotRemembered, frame_.GermanUI())
                .arg(QDir::toNativeSeparators(memoryFile_), QString::fromLocal8Bit(error.what())));
    }
}
