// Unsubscribing from a row against Dovecot: the confirmation names sender, list, server and
// DKIM; the one-click POST verifies the list's certificate; a list left earlier flags its mail
// that came more than two days later as "still sending", with "Block sender" at hand, and a
// blocked sender gets no unsubscribe.
#include "AccountData.h"
#include "AppFixture.h"
#include "E2eSupport.h"
#include "ExtraColumns.h"
#include "MultiLst.h"
#include "SpaceDialog.h"
#include "SpaceView.h"
#include "TestCertificates.h"
#include "Unsubscribe.h"
#include "UnsubscribeStub.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <string>

namespace {

// 1 May 2000 00:00 UTC.
constexpr const char* kUnsubscribed = "957139200";

std::string ListMail(const std::string& list, const std::string& date, const std::string& uri,
                     const std::string& subject) {
    std::string dated = date.empty() ? "" : "Date: " + date + "\r\n";
    return "From: News <news@example.org>\r\nSubject: " + subject + "\r\n" + dated +
           "List-Id: Weekly <" + list + ">\r\nList-Unsubscribe: <" + uri +
           ">\r\nList-Unsubscribe-Post: List-Unsubscribe=One-Click\r\n"
           "DKIM-Signature: v=1; d=example.org; s=s;\r\n"
           "\th=From:Subject:List-Unsubscribe:List-Unsubscribe-Post; b=x\r\n\r\nHello.\r\n";
}

// What the question said, and the button clicked (by name; Cancel without one).
std::shared_ptr<bool> Answer(QString& text, const char* button, bool& blockOffered) {
    return WhenModalShown("unsubscribe_question", [&text, button, &blockOffered](QWidget* w) {
        auto* box = static_cast<QMessageBox*>(w);
        text = box->text();
        blockOffered = box->findChild<QPushButton*>("unsubscribe_block") != nullptr;
        if (QPushButton* chosen = button ? box->findChild<QPushButton*>(button) : nullptr)
            chosen->click();
        else
            box->reject();
    });
}

} // namespace

TEST_F(AppTest, UnsubscribeConfirmsAndFlagsListsStillSending) {
    SKIP_WITHOUT_DOVECOT();
    const std::string folder = ::testing::TempDir() + "window-list" + std::to_string(::getpid());
    std::filesystem::create_directories(folder);
    const TestAuthority ca(folder, "List CA");
    const UnsubscribeStub list(ca.Issue("list", {"localhost"}, {"127.0.0.1"}), folder + "/log");
    DovecotServer server("bob", "secret",
                         {ListMail("weekly.example.org", "Mon, 1 May 2000 10:00:00 +0000",
                                   list.Https("/ok"), "within two days"),
                          ListMail("weekly.example.org", "Fri, 5 May 2000 10:00:00 +0000",
                                   list.Https("/ok"), "days later"),
                          ListMail("daily.example.org", "Fri, 5 May 2000 10:00:00 +0000",
                                   list.Https("/ok"), "another list"),
                          ListMail("weekly.example.org", "", list.Https("/ok"), "no date")});
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "secret");
    // The weekly list was left on 1 May, as the window writes it.
    const QString memory =
        UnsubscribedListsFile(AccountFolderName("bob", "127.0.0.1", server.port()));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(memory).path()));
    QSaveFile file(memory);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(kUnsubscribed) + "\tweekly.example.org\n");
    ASSERT_TRUE(file.commit());

    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    const QStringList rows = Rows();
    ASSERT_EQ(rows.size(), 4);
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(rows[n - 1].endsWith("|still sending|"), n == 2) << rows[n - 1].toStdString();
        EXPECT_EQ(f.Rows()
                      .TipAt(n, TRowTip::Rule)
                      .contains("Still sending: unsubscribed from Weekly <weekly.example.org>"),
                  n == 2);
    }

    TUnsubscribe& unsubscribe = f.Part<TUnsubscribe>();
    QString text;
    bool blockOffered = false;
    // A list never left: the question names all, and the POST goes only to a trusted server.
    f.mail_list->setCurrentRow(3, QItemSelectionModel::NoUpdate);
    {
        const auto shown = Answer(text, "unsubscribe_confirm", blockOffered);
        unsubscribe.UnsubscribeCurrent();
        EXPECT_TRUE(*shown);
    }
    for (const QString said :
         {"Sender: news@example.org", "List: Weekly <daily.example.org>", "Server: localhost",
          "One click", "The DKIM signature of example.org (the sender's domain) covers"})
        EXPECT_TRUE(text.contains(said)) << said.toStdString() << " in " << text.toStdString();
    EXPECT_FALSE(blockOffered);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !unsubscribe.Posting(); }, 30000));
    EXPECT_TRUE(StatusLines().contains("Unsubscribe: The certificate of the list's server"))
        << StatusLines().toStdString();
    EXPECT_TRUE(list.Requests().empty()) << "sent to a server not trusted";
    QFile after(memory);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), QByteArray(kUnsubscribed) + "\tweekly.example.org\n")
        << "a failed unsubscribe is remembered";

    // Still sending: the question says so and offers to block the sender instead.
    f.mail_list->setCurrentRow(2, QItemSelectionModel::NoUpdate);
    {
        const auto shown = Answer(text, "unsubscribe_block", blockOffered);
        unsubscribe.UnsubscribeCurrent();
        EXPECT_TRUE(*shown);
    }
    EXPECT_TRUE(blockOffered);
    EXPECT_TRUE(text.contains("the list is still sending: block the sender")) << text.toStdString();
    EXPECT_TRUE(StatusLines().contains("news@example.org are always marked"))
        << StatusLines().toStdString();

    // Blocked now: no unsubscribe, only "Block sender", with the reason.
    f.mail_list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    {
        const auto shown = Answer(text, nullptr, blockOffered);
        unsubscribe.UnsubscribeCurrent();
        EXPECT_TRUE(*shown);
    }
    EXPECT_TRUE(blockOffered);
    EXPECT_TRUE(text.contains("already on the blocked senders' list")) << text.toStdString();
    EXPECT_TRUE(list.Requests().empty());
    f.BtnDisconnectClick();
    std::filesystem::remove_all(folder);
}

// The space view's list groups lead to the same question, for the group's newest mail that
// offers to unsubscribe; a group of mails without the header says so.
TEST_F(AppTest, SpaceViewUnsubscribesFromAChosenGroup) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("bob", "secret",
                         {ListMail("daily.example.org", "", "https://127.0.0.1:1/old", "first"),
                          ListMail("daily.example.org", "", "https://127.0.0.1:1/new", "second"),
                          "From: Ann <ann@example.net>\r\nSubject: hello\r\n\r\nHi.\r\n"});
    TForm1& f = Open();
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    TSpaceView& space = f.Part<TSpaceView>();
    space.Open();
    TSpaceDialog& dialog = *space.Dialog();
    dialog.GroupBy->setCurrentIndex(2); // list
    const auto choose = [&](const QString& named) {
        dialog.Table->clearSelection();
        for (int k = 0; k < dialog.Table->topLevelItemCount(); ++k)
            if (dialog.Table->topLevelItem(k)->text(0).contains(named))
                dialog.Table->topLevelItem(k)->setSelected(true);
        return !dialog.Table->selectedItems().isEmpty();
    };

    ASSERT_TRUE(choose(QStringLiteral("daily.example.org")));
    QString text;
    bool blockOffered = false;
    {
        const auto shown = Answer(text, nullptr, blockOffered);
        dialog.BtnUnsubscribe->click();
        EXPECT_TRUE(*shown);
    }
    EXPECT_TRUE(text.contains("List: Weekly <daily.example.org>")) << text.toStdString();

    ASSERT_TRUE(choose(QStringLiteral("(no list)")));
    dialog.BtnUnsubscribe->click();
    EXPECT_TRUE(StatusLines().contains("None of the chosen mails offers to unsubscribe."))
        << StatusLines().toStdString();
    f.BtnDisconnectClick();
}
