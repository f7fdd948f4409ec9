#include "DeleteConfirmation.h"

#include "LanguageTexts.h"
#include "RulesTexts.h"

#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr TText QuestionOne{"1 Mail (%2) vom Server löschen?",
                            "Delete 1 mail (%2) from the server?"};
constexpr TText QuestionMany{"%1 Mails (%2) vom Server löschen?",
                             "Delete %1 mails (%2) from the server?"};
constexpr TText SizeUnknown{"Größe unbekannt", "size unknown"};
constexpr TText NothingMarked{"\rEs sind keine e-mails markiert. Markieren Sie zuerst die "
                              "e-mails, die gelöscht werden sollen.",
                              "\rNo e-mails are marked. Please mark the e-mails you want to "
                              "delete first."};
constexpr TText Marked{"%1 markiert: %2", "%1 marked: %2"};
constexpr TText DeleteButton{"Löschen", "Delete"};
constexpr TText KeepButton{"Abbrechen", "Cancel"};

QString ShownSize(const TMarkedMails& mails, bool germanUI) {
    const QString size = SizeText(mails);
    return size.isEmpty() ? Tr(SizeUnknown, germanUI) : size;
}

} // namespace

QString DeleteQuestion(const TMarkedMails& mails, bool germanUI) {
    const TText& question = mails.Count == 1 ? QuestionOne : QuestionMany;
    QString text = Tr(question, germanUI);
    if (mails.Count != 1)
        text = text.arg(mails.Count);
    text.replace(QStringLiteral("%2"), ShownSize(mails, germanUI));
    if (mails.FromRules > 0)
        text += Tr(RulesTexts::FromRules, germanUI).arg(mails.FromRules);
    return text;
}

QString NothingMarkedText(bool germanUI) {
    return Tr(NothingMarked, germanUI);
}

QString MarkedSummary(const TMarkedMails& mails, bool germanUI) {
    if (mails.Count == 0)
        return {};
    return Tr(Marked, germanUI).arg(mails.Count).arg(ShownSize(mails, germanUI));
}

bool ConfirmDeletion(QWidget* parent, const TMarkedMails& mails, bool germanUI,
                     const QString& note) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("InboxPruner"),
                    DeleteQuestion(mails, germanUI), QMessageBox::NoButton, parent);
    box.setObjectName(QStringLiteral("DeleteConfirmation"));
    box.setInformativeText(note);
    QPushButton* remove = box.addButton(Tr(DeleteButton, germanUI), QMessageBox::AcceptRole);
    remove->setObjectName(QStringLiteral("DeleteButton"));
    QPushButton* keep = box.addButton(Tr(KeepButton, germanUI), QMessageBox::RejectRole);
    keep->setObjectName(QStringLiteral("KeepButton"));
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == remove;
}
