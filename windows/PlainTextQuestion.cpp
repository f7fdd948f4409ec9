#include "PlainTextQuestion.h"

#include <QMessageBox>
#include <QPushButton>

bool AskConnectUnencrypted(QWidget* parent, const QString& server, bool germanUI) {
    QMessageBox question(parent);
    question.setObjectName(QStringLiteral("PlainTextQuestion"));
    question.setIcon(QMessageBox::Warning);
    question.setTextFormat(Qt::PlainText);
    if (germanUI) {
        question.setWindowTitle(QStringLiteral("Keine Verschlüsselung - InboxPruner -"));
        question.setText(
            QStringLiteral("Der Server %1 bietet keine Verschlüsselung an.").arg(server));
        question.setInformativeText(
            QStringLiteral("Wenn Sie trotzdem verbinden, werden Ihr Passwort und Ihre e-mails "
                           "unverschlüsselt übertragen; jeder auf dem Weg kann sie mitlesen."));
    } else {
        question.setWindowTitle(QStringLiteral("No encryption - InboxPruner -"));
        question.setText(QStringLiteral("The server %1 offers no encryption.").arg(server));
        question.setInformativeText(
            QStringLiteral("If you connect anyway, your password and your e-mails will travel "
                           "unencrypted; anyone on the way can read them."));
    }
    QPushButton* connectPlain =
        question.addButton(germanUI ? QStringLiteral("&Unverschlüsselt verbinden")
                                    : QStringLiteral("Connect &unencrypted"),
                           QMessageBox::AcceptRole);
    connectPlain->setObjectName(QStringLiteral("btn_unencrypted"));
    QPushButton* cancel = question.addButton(
        germanUI ? QStringLiteral("Abbrechen") : QStringLiteral("Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("btn_cancel"));
    question.setDefaultButton(cancel);
    question.setEscapeButton(cancel);
    question.exec();
    return question.clickedButton() == connectPlain;
}
