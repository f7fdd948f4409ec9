#include "E2eSupport.h"

#include <QApplication>
#include <QByteArray>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <memory>

std::string MailWithAttachments(const std::string& subject, const std::string& text,
                                const std::vector<Attachment>& attachments) {
    const std::string boundary = "=_part_boundary_42";
    std::string mail = "From: Bernd <bernd@example.org>\r\n"
                       "To: demo@example.org\r\n"
                       "Subject: " +
                       subject +
                       "\r\n"
                       "Date: Tue, 02 May 2000 10:00:00 +0200\r\n"
                       "MIME-Version: 1.0\r\n"
                       "Content-Type: multipart/mixed; boundary=\"" +
                       boundary +
                       "\"\r\n"
                       "\r\n"
                       "This is a multi-part message in MIME format.\r\n"
                       "--" +
                       boundary +
                       "\r\n"
                       "Content-Type: text/plain; charset=ISO-8859-1\r\n"
                       "Content-Transfer-Encoding: 8bit\r\n"
                       "\r\n" +
                       text;
    for (const auto& [name, bytes] : attachments) {
        mail += "--" + boundary +
                "\r\n"
                "Content-Type: application/octet-stream; name=\"" +
                name +
                "\"\r\n"
                "Content-Transfer-Encoding: base64\r\n"
                "Content-Disposition: attachment; filename=\"" +
                name +
                "\"\r\n"
                "\r\n";
        const QByteArray encoded =
            QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())).toBase64();
        for (qsizetype at = 0; at < encoded.size(); at += 76)
            mail += encoded.mid(at, 76).toStdString() + "\r\n";
    }
    mail += "--" + boundary + "--\r\n";
    return mail;
}

std::vector<std::string> HeaderLinesOf(const std::string& mail) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = mail.find("\r\n", at)) != std::string::npos && end != at; at = end + 2)
        lines.push_back(mail.substr(at, end - at));
    return lines;
}

std::shared_ptr<bool> WhenShown(QWidget* window, std::function<void()> action) {
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer(window);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, window, [timer, window, action, ran] {
        if (!window->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        *ran = true;
        action();
        if (window->isVisible())
            window->close(); // a failed check must not leave the test waiting
    });
    timer->start();
    return ran;
}

std::shared_ptr<bool> WhenModalShown(const QString& objectName,
                                     std::function<void(QWidget*)> action) {
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    // The watch ends when the caller drops the flag, so it never acts on a later window.
    QObject::connect(timer, &QTimer::timeout, qApp,
                     [timer, objectName, action, flag = std::weak_ptr<bool>(ran)] {
                         const auto ranFlag = flag.lock();
                         QWidget* modal = QApplication::activeModalWidget();
                         if (ranFlag &&
                             (!modal || modal->objectName() != objectName || !modal->isVisible()))
                             return;
                         timer->stop();
                         timer->deleteLater();
                         if (!ranFlag)
                             return;
                         *ranFlag = true;
                         const QPointer<QWidget> window(modal);
                         action(modal);
                         if (window && window->isVisible())
                             window->close(); // a failed check must not leave the test waiting
                     });
    timer->start();
    return ran;
}

std::shared_ptr<bool> AnswerDeletion(bool remove, QString* question) {
    return WhenModalShown("DeleteConfirmation", [remove, question](QWidget* box) {
        if (question)
            *question = static_cast<QMessageBox*>(box)->text();
        box->findChild<QPushButton*>(remove ? "DeleteButton" : "KeepButton")->click();
    });
}
