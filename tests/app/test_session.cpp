// Delete, mark, disconnect, close and show on an open session.
#include "AppFixture.h"
#include "CopiesOfDeleted.h"
#include "E2eSupport.h"

#include "ListColumns.h"
#include "MailRows.h"
#include "MultiLst.h"

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const std::string kHeader = "From: a@example.org\r\nSubject: s\r\n"
                            "Date: Mon, 1 May 2000 10:11:12 +0200\r\n";

TEST_F(AppTest, DeleteAsksFirstCancelKeepsAllAndYesDeletesRowsTwoAndFour) {
    SKIP_WITHOUT_DOVECOT();
    const std::vector<std::string> mails = FiveMails();
    DovecotServer server("bob", "secret", mails);
    TForm1& f = Open({"de-DE"});
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_EQ(Rows().size(), 5) << StatusLines().toStdString();
    const QStringList before = Rows();
    f.mail_list->item(2)->setSelected(true);
    f.mail_list->item(4)->setSelected(true);
    const std::string marked = std::to_string(mails[1].size() + mails[3].size());
    const QString size = QString::fromStdString(DisplaySize(marked));
    EXPECT_EQ(f.PanelText(2), "2 markiert: " + size);

    QString question;
    auto asked = AnswerDeletion(false, &question);
    QTest::keyClick(f.mail_list, Qt::Key_Delete);
    EXPECT_TRUE(*asked);
    EXPECT_EQ(question, QString::fromUtf8("2 Mails (%1) vom Server löschen?").arg(size));
    EXPECT_FALSE(SentAny("DELE"));
    EXPECT_EQ(f.ControlState(), TForm1::StateListed) << "Cancel keeps the session";
    EXPECT_EQ(MarkedRows(), (std::vector<int>{2, 4}));

    asked = AnswerDeletion(true);
    f.Tools.BtnDelete->click();
    EXPECT_TRUE(*asked);
    const std::vector<std::string>& sent = Sent();
    const std::vector<std::string> tail(sent.end() - 3, sent.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"DELE 4", "DELE 2", "QUIT"}));
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(Rows(), (QStringList{before[0], before[2], before[4]}));
    EXPECT_EQ(StatusLines(),
              QString::fromUtf8("\rAlle gewünschten e-mail(s) wurden erfolgreich gelöscht."
                                "\rIhre Verbindung zum Server wurde getrennt."));
    // The counts are those of the mailbox now; nothing is marked any more.
    EXPECT_EQ(f.PanelText(0), "3 Mails");
    const std::string left = std::to_string(mails[0].size() + mails[2].size() + mails[4].size());
    EXPECT_EQ(f.PanelText(1), QString::fromStdString(DisplaySize(left)));
    EXPECT_EQ(f.PanelText(2), "");
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_TRUE(f.Rows().Headers().empty());
}

TEST_F(AppTest, DeleteWithNothingMarkedSaysSoAndKeepsTheSession) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("bob", "secret", FiveMails());
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_EQ(Rows().size(), 5);
    f.mail_list->clearSelection();
    auto asked = AnswerDeletion(true);
    f.Tools.BtnDelete->click();
    QCoreApplication::processEvents();
    EXPECT_FALSE(*asked) << "nothing to ask about";
    EXPECT_FALSE(SentAny("DELE"));
    EXPECT_FALSE(SentAny("QUIT"));
    EXPECT_EQ(f.ControlState(), TForm1::StateListed);
    EXPECT_TRUE(StatusLines().startsWith("\rNo e-mails are marked."))
        << StatusLines().toStdString();
    f.BtnDisconnectClick();
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(AppTest, MarkAllThenDeleteEmptiesTheMailbox) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("bob", "secret", FiveMails());
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    f.Tools.BtnMark->click();
    EXPECT_EQ(MarkedRows(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(Sent().back().rfind("UIDL 5", 0) == 0) << "marking sends nothing";
    const auto answered = AnswerDeletion(true);
    f.BtnDeleteClick();
    EXPECT_EQ(server.RemainingMessages(), std::vector<int>{});
    EXPECT_EQ(f.mail_list->count(), 1) << "only the spacer is left";
    EXPECT_EQ(f.PanelText(0), "0 Mails");
}

TEST_F(AppTest, MarkAllOnManyRowsAsksAboutEveryMailAndItsSize) {
    TForm1& f = Open();
    TMailRowBatch batch;
    for (int n = 1; n <= 20000; ++n)
        batch.Add(QStringLiteral(" %1 | 1 KByte |d|f|s|").arg(n), MailRowData(n, 1000 + n % 2, std::nullopt));
    f.mail_list->show();
    batch.AddTo(f.Rows());
    f.mail_list->CheckSpacer();
    f.btn_aktivieren(TForm1::StateListed);
    f.Tools.BtnMark->click();
    EXPECT_EQ(f.mail_list->MarkedRows().size(), 20000u);
    QString question;
    auto asked = AnswerDeletion(false, &question);
    f.Tools.BtnDelete->click();
    EXPECT_TRUE(*asked);
    const QString size = QString::fromStdString(DisplaySize(std::to_string(20000 * 1000 + 10000)));
    EXPECT_EQ(question, QStringLiteral("Delete 20000 mails (%1) from the server?").arg(size))
        << question.toStdString();
}

// While the deletion runs a click changes nothing; the rows removed are the deleted mails.
TEST_F(AppTest, TheListIsLockedWhileDeletingAndLosesTheDeletedRows) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("bob", "secret", FiveMails());
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_EQ(Rows().size(), 5);
    const QStringList before = Rows();
    f.mail_list->clearSelection();
    f.mail_list->item(2)->setSelected(true);
    f.mail_list->item(4)->setSelected(true);
    const auto record = f.pop3.OnSendTextToSocket;
    f.pop3.OnSendTextToSocket = [&](TObject* sender, const std::string& text) {
        record(sender, text);
        if (text.rfind("DELE", 0) == 0) {
            const QRect row5 = f.mail_list->visualItemRect(f.mail_list->item(5));
            QTest::mouseClick(f.mail_list->viewport(), Qt::LeftButton, {}, row5.center());
        }
    };
    const auto answered = AnswerDeletion(true);
    f.BtnDeleteClick();
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(Rows(), (QStringList{before[0], before[2], before[4]}));
}

TEST_F(AppTest, DeleteKeyAfterDisconnectDoesNothing) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("bob", "secret", FiveMails());
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    f.BtnDisconnectClick();
    const std::size_t sentBefore = Sent().size();
    const QString statusBefore = StatusLines();
    f.mail_list->item(1)->setSelected(true);
    QTest::keyClick(f.mail_list, Qt::Key_Delete);
    EXPECT_EQ(Sent().size(), sentBefore);
    EXPECT_EQ(Rows().size(), 5);
    EXPECT_EQ(StatusLines(), statusBefore);
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 2, 3, 4, 5}));
}

// A pass that ends without QUIT deletes nothing, and the window says so in its language.
TEST_F(AppTest, DeletionEndedWithoutQuitSaysNoMailWasDeleted) {
    struct Row {
        const char* name;
        bool lost; // the connection drops after DELE 3 was answered; else DELE 1 is refused
        QStringList languages;
        QString statusStart;
        QString statusEnd;
    };
    const Row rows[] = {
        {"refused",
         false,
         {"en-US"},
         "\rError: message 1 is locked",
         "\rYour connection has been terminated.\rNo e-mail was deleted."},
        {"lost",
         true,
         {"en-US"},
         "\rError: The connection to the server was lost.",
         "\rNo e-mail was deleted."},
        {"lost-de",
         true,
         {"de-DE"},
         "\rFehler: Die Verbindung zum Server ist abgebrochen.",
         QString::fromUtf8("\rEs wurde keine e-mail gelöscht.")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server;
        ScriptLogin(server, 3, 3000);
        for (int n = 1; n <= 3; ++n)
            ScriptMessage(server, n, kHeader, 100);
        server.AwaitLine(); // DELE 3
        server.Send("+OK deleted\r\n");
        if (row.lost) {
            server.Close();
        } else {
            server.AwaitLine(); // DELE 1
            server.Send("-ERR message 1 is locked\r\n");
            server.AwaitClientClose();
        }
        server.Start();
        TForm1& f = Open(row.languages);
        f.Part<TCopiesOfDeleted>().Keep->setChecked(false); // the script has no fetches for copies
        FillLogin(server.port(), "bob", "pw");
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), 3);
        f.mail_list->item(1)->setSelected(true);
        f.mail_list->item(3)->setSelected(true);
        const auto answered = AnswerDeletion(true);
        f.BtnDeleteClick();
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
        const QString status = StatusLines();
        EXPECT_TRUE(status.startsWith(row.statusStart)) << status.toStdString();
        EXPECT_TRUE(status.endsWith(row.statusEnd)) << status.toStdString();
        EXPECT_FALSE(SentAny("QUIT")) << "without QUIT the server deletes nothing";
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_EQ(Rows().size(), 3) << "the server still holds every mail";
        EXPECT_FALSE(f.PanelText(2).startsWith(Tr(Texts::DeletingMail, f.GermanUI())))
            << f.PanelText(2).toStdString();
        EXPECT_TRUE(errorsShown.empty()) << errorsShown.front().toStdString();
    }
}

TEST_F(AppTest, RefusedQuitIsNotReportedAsSuccess) {
    ScriptedServer server;
    ScriptLogin(server, 1, 100);
    ScriptMessage(server, 1, kHeader, 100);
    server.AwaitLine(); // DELE 1
    server.Send("+OK\r\n");
    server.AwaitLine(); // QUIT
    server.Send("-ERR could not remove messages\r\n");
    server.AwaitClientClose();
    server.Start();
    TForm1& f = Open();
    f.Part<TCopiesOfDeleted>().Keep->setChecked(false); // the script has no fetches for copies
    FillLogin(server.port(), "bob", "pw");
    f.BtnConnectClick();
    f.BtnMarkClick();
    const auto answered = AnswerDeletion(true);
    f.BtnDeleteClick();
    EXPECT_EQ(StatusLines(),
              "\rError: could not remove messages\rYour connection has been terminated."
              "\rQUIT was sent but not confirmed: whether the server deleted the e-mail(s) is "
              "not known.");
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_EQ(Rows().size(), 1) << "the mail may still be on the server";
}

TEST_F(AppTest, ClosingWhileConnectedSendsQuitBeforeSavingSettings) {
    ScriptedServer server;
    ScriptLogin(server, 1, 100);
    ScriptMessage(server, 1, kHeader, 100);
    ScriptQuit(server);
    server.Start();
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed);
    bool historySavedBeforeQuit = true;
    f.pop3.OnSendTextToSocket = [&](TObject*, const std::string& text) {
        if (text == "QUIT\r\n")
            historySavedBeforeQuit = Store()->contains("User1");
    };
    EXPECT_TRUE(f.close());
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_FALSE(historySavedBeforeQuit);
    EXPECT_EQ(Store()->value("User1").toString(), "bob");
}

TEST_F(AppTest, ClosingDuringAListingStopsItFirst) {
    ScriptedServer server;
    ScriptLogin(server, 4, 400);
    ScriptMessage(server, 1, kHeader, 100);
    ScriptMessage(server, 2, kHeader, 100);
    ScriptQuit(server);
    server.Start();
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    bool closedWhileRunning = true;
    f.pop3.OnSendTextToSocket = [&](TObject*, const std::string& text) {
        if (text == "TOP 2 0\r\n")
            QTimer::singleShot(0, &f, [&] { closedWhileRunning = f.close(); });
    };
    f.BtnConnectClick();
    EXPECT_FALSE(closedWhileRunning) << "the close waits for the running command";
    EXPECT_TRUE(f.isVisible());
    // The close is carried out once the listing has returned.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.isVisible(); }, 10000));
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(server.ReceivedLines(),
              (std::vector<std::string>{"USER bob", "PASS pw", "CAPA", "STAT", "TOP 1 0", "list 1",
                                        "TOP 2 0", "list 2", "QUIT"}));
    EXPECT_EQ(Store()->value("Server1").toString(), ServerText(server.port()));
}

// A count-only listing of 120 mails: the number column shows "120" whole, a header is a blank.
TEST_F(AppTest, ShowHeaderAfterCountOnlyListingShowsABlank) {
    ScriptedServer server;
    ScriptLogin(server, 120, 12000);
    ScriptQuit(server);
    server.Start();
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "pw");
    f.Login.Header_Nein->setChecked(true);
    f.BtnConnectClick();
    ASSERT_EQ(Rows().size(), 120);
    f.mail_list->viewport()->repaint();
    // Column 0's text starts one pixel inside the column.
    const int needed = QFontMetrics(f.mail_list->font()).horizontalAdvance(" 120 ") + 1;
    EXPECT_GE(f.mail_list->ListHeader()->SectionWidth(0), needed);
    QString shown = "not shown";
    WhenShown(headerWindow, [&] {
        shown = headerWindow->memo_header_anzeigen->toPlainText();
        headerWindow->btn_close->click();
    });
    f.Tools.btn_header->click();
    EXPECT_EQ(shown, " ");
    EXPECT_EQ(Sent().back(), "STAT") << "showing a header sends nothing";
    f.BtnDisconnectClick();
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
}

TEST_F(AppTest, ServerWithoutTopShowsTheMailThroughRetrAndSaysSo) {
    for (const char* language : {"en-US", "de-DE"}) {
        SCOPED_TRACE(language);
        ScriptedServer server;
        ScriptLogin(server, 1, 100);
        ScriptMessage(server, 1, kHeader, 100);
        server.AwaitLine(); // LIST 1
        server.Send("+OK 1 100\r\n");
        server.AwaitLine(); // TOP 1 999999999
        server.Send("-ERR unknown command\r\n");
        server.AwaitLine(); // RETR 1
        server.Send("+OK\r\n" + kHeader + "\r\nHello.\r\n.\r\n");
        ScriptQuit(server);
        server.Start();
        TForm1& f = Open({language});
        FillLogin(server.port(), "bob", "pw");
        f.BtnConnectClick();
        QString shown;
        WhenShown(messageWindow, [&] {
            shown = messageWindow->memo_email_anzeigen->toPlainText();
            messageWindow->reject();
        });
        f.Tools.btn_mail->click();
        EXPECT_EQ(shown, "Hello.");
        EXPECT_TRUE(StatusLines().endsWith(Tr(Texts::FetchedWithRetr, f.GermanUI())))
            << StatusLines().toStdString();
        EXPECT_EQ(f.ControlState(), TForm1::StateListed);
        f.BtnDisconnectClick();
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
        const auto lines = server.ReceivedLines();
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(std::vector<std::string>(lines.end() - 4, lines.end()),
                  (std::vector<std::string>{"LIST 1", "TOP 1 999999999", "RETR 1", "QUIT"}));
    }
}

TEST_F(AppTest, ShowMessageFetchesTheChosenMail) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("bob", "secret", FiveMails());
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    f.mail_list->setCurrentRow(3);
    QString shown;
    int stateWhileShown = -1;
    WhenShown(messageWindow, [&] {
        shown = messageWindow->memo_email_anzeigen->toPlainText();
        stateWhileShown = f.ControlState();
        messageWindow->reject();
    });
    f.men_email_anzeigenClick();
    EXPECT_EQ(Sent().back(), "TOP 3 999999999");
    EXPECT_FALSE(SentAny("RETR"));
    EXPECT_FALSE(StatusLines().contains("RETR")) << "TOP leaves no download to warn about";
    EXPECT_TRUE(shown.contains("Hello.")) << shown.toStdString();
    ASSERT_TRUE(f.CurrentMsg);
    EXPECT_EQ(f.CurrentMsg->Subject, "Mail number 3");
    EXPECT_EQ(stateWhileShown, TForm1::StateListed);
    EXPECT_EQ(f.ControlState(), TForm1::StateListed);
    EXPECT_FALSE(f.Bottom.ProgressBar->isVisible());
    f.BtnDisconnectClick();
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 2, 3, 4, 5}));
}

} // namespace
