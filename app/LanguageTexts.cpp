#include "LanguageTexts.h"

#include "UiLanguage.h"

bool IsGermanUiLanguage(const QStringList& uiLanguages) {
    return !uiLanguages.isEmpty() && IsGermanLanguageTag(uiLanguages.first().toStdString());
}

QStringList IntroductionLines(bool germanUI) {
    if (germanUI) {
        return {
            QStringLiteral("Vielen Dank, daß Sie InboxPruner verwenden !"),
            QString(),
            QStringLiteral("Sie haben mit diesem Programm die Möglichkeit e-mails direkt vom "
                           "Server zu löschen ohne"),
            QStringLiteral("diese vorher anzusehen. Dieses kann zum Beispiel bei sehr großen "
                           "e-mails von Vorteil und"),
            QStringLiteral("sehr hilfreich sein. Sie  können mit diesem Programm keine e-mails "
                           "versenden. Sie haben"),
            QStringLiteral("jedoch die Möglichkeit nach einem rechten Mausklick auf eine e-mail "
                           "sowohl den  Header,"),
            QStringLiteral("als auch die e-mail selbst zu lesen. Darüber hinaus können Sie die "
                           "Mail selbst und eventuelle"),
            QStringLiteral("Anhänge speichern."),
            QString(),
            QStringLiteral("In der Standardkonfiguration wird Ihnen der Absender und die "
                           "'Betreff'-Zeile angezeigt. Unter"),
            QStringLiteral(
                "Umständen kann dies jedoch fehlschlagen. Aktivieren Sie dann den Punkt"),
            QStringLiteral("'Kein Absender/Betreff Anzeigen'  und stellen Sie die Verbindung zum "
                           "Server erneut her, Sie"),
            QStringLiteral("können dann mit wenigen Klicken die e-mails löschen."),
            QString(),
            QStringLiteral("Beachten Sie noch, daß dieses Programm nicht den Anspruch erhebt "
                           "fehlerfrei zu sein, es"),
            QStringLiteral("wird jedoch hart daran gearbeitet."),
            QString(50, u' ') + QStringLiteral("'The Programmer'"),
            QString(),
            QString(),
            QStringLiteral("Deutschland, Januar 2000"),
        };
    }
    return {
        QStringLiteral("Thank you for using InboxPruner !"),
        QString(),
        QStringLiteral("This program enables you to delete e-mails without downloading from the "
                       "Server. Sometimes"),
        QStringLiteral("it can be useful to do so, especially if someone has sent you a very "
                       "large e-mail. You can not"),
        QStringLiteral("use this program for sending e-mails. But you may want to check the "
                       "mail's header or even its"),
        QStringLiteral("contents. To do so, simply click with you right mous button on an e-mail "
                       "that you want to"),
        QStringLiteral("check. In the new windows you can also save the e-mail or any of its "
                       "attachments."),
        QString(),
        QStringLiteral("Using the standard configuration, you will be able to see the sender, "
                       "subject, size, and date of"),
        QStringLiteral("the mail. In some cases this might not work and you will have to "
                       "deactivate this option and"),
        QStringLiteral("connect again. After you have established a connection to the POP server "
                       "you will be able to"),
        QStringLiteral("delete as many e-mails as you want with only a few mouse clicks."),
        QString(),
        QStringLiteral("This program is not perfect and sometimes has a few mistakes. I am "
                       "working very hard to fix"),
        QStringLiteral("all problems that might occur."),
        QString(),
        QString(75, u' ') + QStringLiteral("'The Programmer'"),
        QString(),
        QStringLiteral("Germany, January 2000"),
    };
}
