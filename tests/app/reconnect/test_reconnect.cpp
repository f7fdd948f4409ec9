// Delete after the server ended the listing's session: the window connects again, finds the
// marked mails and deletes exactly those still there; the rows and marks stay meanwhile.
#include "AccountData.h"
#include "AppFixture.h"
#include "CopiesOfDeleted.h"
#include "E2eSupport.h"
#include "MultiLst.h"

#include <QCheckBox>
#include <QDir>
#include <QToolButton>

#include <poll.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Waits until the server's farewell (or the end of the stream) has reached the window's idle
// session: until then a DELE could still be answered.
void AwaitFarewell(TForm1& f) {
    pollfd farewell{f.pop3.ClientSocket().Socket()->Handle(), POLLIN, 0};
    ASSERT_EQ(::poll(&farewell, 1, 10000), 1) << "the server never ended the session";
}

// Ends the user's sessions as an administrator does.
void Kick(const DovecotServer& server, TForm1& f) {
    const std::string kick = "doveadm -c '" + server.folder() + "/sandbox/dovecot.conf' kick " +
                             server.user() + " >/dev/null";
    ASSERT_EQ(std::system(kick.c_str()), 0);
    AwaitFarewell(f);
}

struct ScriptMail {
    std::string From;
    std::string Subject;
};

std::string Header(const ScriptMail& mail) {
    return "From: " + mail.From + "\r\nSubject: " + mail.Subject + "\r\n\r\n";
}

// A session of a server without unique ids on the mailbox `mails`: every command answered at
// once, one at a time. Ends after `last` was answered.
void ScriptSession(ScriptedServer& server, std::vector<ScriptMail> mails, const std::string& last) {
    server.Send("+OK ready\r\n");
    server.AnswerEachLine(
        [mails](const std::string& line) -> std::string {
            const auto number = [&](size_t at) {
                return std::strtoul(line.c_str() + at, nullptr, 10);
            };
            if (line == "CAPA")
                return "+OK\r\nUSER\r\nTOP\r\n.\r\n";
            if (line == "STAT")
                return "+OK " + std::to_string(mails.size()) + " 999\r\n";
            const bool top = line.starts_with("TOP "), list = line.starts_with("list ");
            if (top || list) {
                const size_t n = number(top ? 4 : 5);
                if (n == 0 || n > mails.size())
                    return "-ERR no such message\r\n";
                const std::string header = Header(mails[n - 1]);
                return top ? "+OK\r\n" + header + ".\r\n"
                           : "+OK " + std::to_string(n) + " " + std::to_string(header.size() + 20) +
                                 "\r\n";
            }
            return "+OK\r\n"; // USER, PASS, DELE, QUIT
        },
        last);
}

const ScriptMail A{"a@example.org", "Alpha"}, B{"b@example.org", "Bravo"},
    C{"c@example.org", "Charly"}, D{"d@example.org", "Delta"}, E{"e@example.org", "Echo"};

std::vector<std::string> Deles(const std::vector<std::string>& sent) {
    std::vector<std::string> deles;
    for (const std::string& line : sent)
        if (line.starts_with("DELE "))
            deles.push_back(line);
    return deles;
}

// Deletes mail n of the mailbox in a session of its own, as another mail program would.
void DeleteElsewhere(const DovecotServer& server, TMsgNumber n) {
    TMbxPOP other;
    other.Host = "127.0.0.1";
    other.Port = std::to_string(server.port());
    other.Security = TSecurity::None;
    other.UserId = server.user();
    other.UserPasswd = server.password();
    other.Connect();
    ASSERT_TRUE(other.Login());
    other.DeleteMsg(n);
    ASSERT_TRUE(other.Quit());
}

// Scripted sessions that end while the user marks.
class ReconnectTest : public AppTest {
protected:
    // Lists the server's mails with no copies kept, marks the rows given (where listed) and
    // waits until the server has ended the idle session.
    TForm1& ListMarkAndLose(ScriptedServer& server, const std::vector<int>& marked) {
        TForm1& f = Open();
        f.Part<TCopiesOfDeleted>().Keep->setChecked(false);
        FillLogin(server.port(), "bob", "pw");
        f.BtnConnectClick();
        for (const int row : marked)
            if (QListWidgetItem* item = f.mail_list->item(row))
                item->setSelected(true);
        AwaitFarewell(f);
        return f;
    }
    // Delete with its question answered, and the script run to its end.
    void DeleteAndFinish(TForm1& f, ScriptedServer& server) {
        const auto asked = AnswerDeletion(true);
        f.BtnDeleteClick();
        EXPECT_TRUE(*asked);
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    }
};

} // namespace

TEST_F(AppTest, DeleteAfterAKickConnectsAgainAndDeletesExactlyTheMarkedMails) {
    SKIP_WITHOUT_DOVECOT();
    struct Row {
        bool copies;
        bool shifted; // mail 1 was deleted elsewhere meanwhile
    } rows[] = {{true, false}, {false, false}, {true, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.copies ? "with copies" : "without copies") +
                     (row.shifted ? ", numbers shifted" : ""));
        const std::vector<std::string> mails = FiveMails();
        DovecotServer server("bob", "secret", mails);
        TForm1& f = Open();
        f.Part<TCopiesOfDeleted>().Keep->setChecked(row.copies);
        FillLogin(server.port(), "bob", "secret");
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), 5) << StatusLines().toStdString();
        const QStringList before = Rows();
        f.mail_list->item(2)->setSelected(true);
        f.mail_list->item(4)->setSelected(true);
        Kick(server, f);
        if (row.shifted)
            DeleteElsewhere(server, 1);
        EXPECT_TRUE(f.Tools.BtnDelete->isEnabled());

        const auto asked = AnswerDeletion(true);
        f.Tools.BtnDelete->click();
        EXPECT_TRUE(*asked);
        const std::vector<int> remaining =
            row.shifted ? std::vector<int>{3, 5} : std::vector<int>{1, 3, 5};
        EXPECT_EQ(server.RemainingMessages(), remaining) << StatusLines().toStdString();
        // The rows of the marked mails go, the others stay (mail 1's too: no listing was made).
        EXPECT_EQ(Rows(), (QStringList{before[0], before[2], before[4]}));
        EXPECT_EQ(CopiesOf(server.port()).size(), row.copies ? 2 : 0);
        EXPECT_EQ(StatusLines(), "\rAll marked mails were deleted."
                                 "\rYour connection has been terminated.")
            << StatusLines().toStdString();
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_FALSE(f.pop3.Connected());
        EXPECT_TRUE(errorsShown.empty());
    }
}

// The server drops the session in the middle of the listing: the rows listed so far stay, and
// Delete works on them in a new session.
TEST_F(AppTest, RowsOfAListingCutOffAreDeletedInANewSession) {
    ScriptedServer server;
    ScriptSession(server, {A, B, C, D}, "list 2");
    server.AwaitLine(); // TOP 3 0
    server.Reset();
    server.AcceptNext();
    ScriptSession(server, {A, B, C, D}, "QUIT");
    server.Start();
    TForm1& f = Open();
    f.Part<TCopiesOfDeleted>().Keep->setChecked(false);
    FillLogin(server.port(), "bob", "pw");
    f.BtnConnectClick();
    ASSERT_EQ(Rows().size(), 2) << StatusLines().toStdString();
    errorsShown.clear();
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_TRUE(f.Tools.BtnDelete->isEnabled());
    f.mail_list->item(2)->setSelected(true);

    const auto asked = AnswerDeletion(true);
    f.BtnDeleteClick();
    EXPECT_TRUE(*asked);
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(Deles(Sent()), (std::vector<std::string>{"DELE 2"}));
    EXPECT_EQ(Rows().size(), 1);
    EXPECT_EQ(StatusLines(), "\rAll marked mails were deleted."
                             "\rYour connection has been terminated.")
        << StatusLines().toStdString();
}

TEST_F(ReconnectTest, ShiftedNumbersWithoutIdsDeleteNoOtherMailAndNameTheChangedOne) {
    ScriptedServer server;
    ScriptSession(server, {A, B, C, D}, "list 4");
    // The server ends the idle session.
    server.Send("-ERR idle too long\r\n");
    server.Close();
    // Meanwhile mail a was deleted elsewhere: b is 1 now, c 2, d 3.
    server.AcceptNext();
    ScriptSession(server, {B, C, D}, "QUIT");
    server.Start();
    TForm1& f = ListMarkAndLose(server, {2, 3, 4});
    ASSERT_EQ(Rows().size(), 4) << StatusLines().toStdString();
    const QStringList before = Rows();
    DeleteAndFinish(f, server);
    EXPECT_TRUE(Deles(Sent()).empty());
    EXPECT_TRUE(SentAny("QUIT"));
    EXPECT_EQ(StatusLines(), QString::fromUtf8("\rNo e-mail was deleted."
                                               "\r1 of the marked e-mail(s) had gone from the "
                                               "server already."
                                               "\rNot deleted, since another e-mail has its "
                                               "number now:"
                                               "\r     Mail 3: c@example.org – Charly"
                                               "\r     Mail 2: b@example.org – Bravo"
                                               "\rYour connection has been terminated."))
        << StatusLines().toStdString();
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(MarkedRows(), (std::vector<int>{2, 3, 4}));
    // The new session ended with QUIT: its rows are those of a session like any other.
    EXPECT_FALSE(f.Tools.BtnDelete->isEnabled());
}

TEST_F(ReconnectTest, MailsStillAtTheirNumbersAreDeletedInTheNewSession) {
    ScriptedServer server;
    ScriptSession(server, {A, B, C, D}, "list 4");
    server.Send("-ERR idle too long\r\n");
    server.Close();
    // New mail came in behind; c was replaced by another as large.
    server.AcceptNext();
    ScriptSession(server, {A, B, E, D, C}, "QUIT");
    server.Start();
    TForm1& f = ListMarkAndLose(server, {2, 3, 4});
    ASSERT_EQ(Rows().size(), 4) << StatusLines().toStdString();
    const QStringList before = Rows();
    DeleteAndFinish(f, server);
    EXPECT_EQ(Deles(Sent()), (std::vector<std::string>{"DELE 4", "DELE 2"}));
    EXPECT_EQ(StatusLines(), QString::fromUtf8("\r2 of the marked e-mail(s) were deleted."
                                               "\rYour connection has been terminated."
                                               "\rNot deleted, since another e-mail has its "
                                               "number now:"
                                               "\r     Mail 3: c@example.org – Charly"))
        << StatusLines().toStdString();
    EXPECT_EQ(Rows(), (QStringList{before[0], before[2]}));
    EXPECT_EQ(f.PanelText(0), "3 Mails");
}

TEST_F(ReconnectTest, AFailedReconnectDeletesNothingAndKeepsRowsAndMarks) {
    ScriptedServer server;
    ScriptSession(server, {A, B, C}, "list 3");
    server.Close();
    server.AcceptNext();
    server.Send("-ERR too busy\r\n");
    server.AwaitLine(); // QUIT
    server.Send("+OK\r\n");
    server.AwaitClientClose();
    server.Start();
    TForm1& f = ListMarkAndLose(server, {1, 3});
    ASSERT_EQ(Rows().size(), 3) << StatusLines().toStdString();
    const QStringList before = Rows();
    DeleteAndFinish(f, server);
    EXPECT_FALSE(SentAny("DELE"));
    EXPECT_TRUE(StatusLines().endsWith(
        "\rNo new session: nothing was deleted; the list and its marks stay."))
        << StatusLines().toStdString();
    EXPECT_EQ(Rows(), before);
    EXPECT_EQ(MarkedRows(), (std::vector<int>{1, 3}));
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_TRUE(f.Tools.BtnDelete->isEnabled());
}
