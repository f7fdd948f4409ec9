// Deleting with copies from the window: QUIT's endings leave the copies of what may be gone, the
// next listing tells which are, and a deletion shows its progress and can be cancelled.
#include "AccountData.h"
#include "AppFixture.h"
#include "E2eSupport.h"
#include "ListColumns.h"
#include "QuitEndings.h"

#include "MultiLst.h"

#include <QDir>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <chrono>

namespace {

// Clicks Cancel once the command has gone out, while its answer is awaited.
void CancelAfterSending(TForm1& f, const std::string& command) {
    const auto record = f.pop3.OnSendTextToSocket;
    f.pop3.OnSendTextToSocket = [&f, record, command](TObject* sender, const std::string& text) {
        record(sender, text);
        if (text == command + "\r\n")
            QTimer::singleShot(50, f.Tools.btn_cancel, [&f] { f.Tools.btn_cancel->click(); });
    };
}

} // namespace

TEST_F(AppTest, CopiesOutliveEveryQuitThatWentOutAndTheNextListingTellsWhatIsGone) {
    for (const TQuitEndingRow& row : QuitEndings()) {
        SCOPED_TRACE(row.Name);
        ScriptedServer server;
        ScriptEndingSession(server, {1, 2, 3}, row.Ending);
        // The next session finds mail 1 gone and mail 2 still there, now as mail 1.
        server.AcceptNext();
        ScriptEndingSession(server, {2, 3}, TQuitEnding::Answered);
        server.Start();
        TForm1& f = Open();
        FillLogin(server.port(), "bob", "pw");
        f.pop3.ReceiveTimeout = std::chrono::seconds(1);
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), 3) << StatusLines().toStdString();
        f.mail_list->clearSelection();
        f.mail_list->item(1)->setSelected(true);
        f.mail_list->item(2)->setSelected(true);
        const auto record = f.pop3.OnSendTextToSocket;
        if (row.Ending == TQuitEnding::Cancelled)
            CancelAfterSending(f, "QUIT");
        const auto asked = AnswerDeletion(true);
        f.BtnDeleteClick();
        EXPECT_TRUE(*asked) << StatusLines().toStdString();

        const QString status = StatusLines();
        EXPECT_EQ(SentAny("QUIT"), row.QuitSent);
        EXPECT_EQ(CopiesOf(server.port()).size(), row.QuitSent ? 2 : 0);
        EXPECT_EQ(status.contains("No e-mail was deleted."), !row.QuitSent) << status.toStdString();
        if (row.QuitSent) {
            EXPECT_TRUE(status.endsWith("\rQUIT was sent but not confirmed: whether the server "
                                        "deleted the e-mail(s) is not known."
                                        "\rThe copies of 2 e-mail(s) were kept (Recently "
                                        "deleted …)."
                                        "\rThe next listing tells which of them are really gone."))
                << status.toStdString();
        }
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_EQ(Rows().size(), 3) << "the mails may all be there still";
        EXPECT_FALSE(f.Bottom.ProgressBar->isVisible());

        // The next listing tells once which of them are gone.
        f.pop3.OnSendTextToSocket = record;
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), 2) << StatusLines().toStdString();
        EXPECT_EQ(StatusLines().contains(
                      "\rOf the 2 e-mail(s) whose deletion was not confirmed, 1 are gone from "
                      "the server; still there: mail 1"),
                  row.QuitSent)
            << StatusLines().toStdString();
        f.BtnDisconnectClick();
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    }
}

// The bar and the panel follow the copies' bytes and then the DELEs; Cancel while the DELEs
// go out ends without QUIT: nothing deleted, no copy left.
TEST_F(AppTest, DeletingShowsItsProgressAndCancelDeletesNothing) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled" : "complete");
        ScriptedServer server;
        ScriptEndingSession(server, {1, 2, 3}, TQuitEnding::Answered, "DELE 1",
                            std::chrono::milliseconds(150));
        server.Start();
        TForm1& f = Open();
        FillLogin(server.port(), "bob", "pw");
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), 3) << StatusLines().toStdString();
        f.BtnMarkClick();
        if (cancel)
            CancelAfterSending(f, "DELE 2");
        QStringList panels; // each text panel 2 showed while deleting, in order
        int highest = 0;    // the bar's
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (panels.isEmpty() || panels.back() != f.PanelText(2))
                panels << f.PanelText(2);
            if (f.Bottom.ProgressBar->isVisible())
                highest = std::max(highest, f.Bottom.ProgressBar->value());
        });
        watch.start(10);
        const auto asked = AnswerDeletion(true);
        f.BtnDeleteClick();
        watch.stop();
        const QString size = QString::fromStdString(DisplaySize(
            std::to_string(EndingMail(1).size() + EndingMail(2).size() + EndingMail(3).size())));
        for (const QString& shown :
             {QStringLiteral("Copy 1 of 3: "), QStringLiteral("Copy 2 of 3: "),
              QStringLiteral("Deleting mail # 3 (1 of 3)")}) {
            EXPECT_TRUE(std::any_of(panels.begin(), panels.end(),
                                    [&](const QString& p) { return p.startsWith(shown); }))
                << shown.toStdString() << " not in " << panels.join(" / ").toStdString();
        }
        EXPECT_TRUE(panels.join("/").contains(QStringLiteral(" of ") + size)) << size.toStdString();
        EXPECT_GT(highest, 0);
        EXPECT_FALSE(f.Bottom.ProgressBar->isVisible());
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_EQ(SentAny("QUIT"), !cancel);
        EXPECT_EQ(CopiesOf(server.port()).size(), cancel ? 0 : 3);
        if (cancel) {
            EXPECT_TRUE(StatusLines().startsWith("\rCancelled."));
            EXPECT_TRUE(StatusLines().endsWith("\rNo e-mail was deleted."))
                << StatusLines().toStdString();
            EXPECT_EQ(Rows().size(), 3);
        } else {
            EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
            EXPECT_EQ(Rows().size(), 0);
        }
    }
}
