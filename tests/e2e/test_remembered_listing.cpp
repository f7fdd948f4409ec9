// Headers remembered from one listing to the next, against a real Dovecot: the rows a listing
// builds from them are the rows a fresh one reads, and only new mails are asked for.
#include "AccountData.h"
#include "AppFixture.h"
#include "E2eSupport.h"
#include "ExtraColumns.h"
#include "HeaderMemory.h"
#include "MailRows.h"
#include "RememberedListing.h"

#include "MultiLst.h"

#include <QAction>
#include <QDir>
#include <QFile>

namespace {

// Everything a row shows and keeps: its text, its tooltip and the header it was built from.
QStringList RowsWhole(TForm1& f) {
    QStringList rows;
    for (int row = 1; row < f.mail_list->count(); ++row) {
        const std::string_view header = f.Rows().HeaderOf(f.Rows().NumberAt(row));
        // The marker of new mails says what changed since the visit before: not compared.
        QStringList cells = f.mail_list->item(row)->text().split(u'|');
        cells.removeAt(NewColumn);
        rows << cells.join(u'|') + u'\n' + f.Rows().ToolTipAt(row) + u'\n' +
                    QString::fromLatin1(header.data(), qsizetype(header.size()));
    }
    return rows;
}

// The TOP commands the window sends from now on.
std::shared_ptr<int> CountTops(TForm1& f) {
    auto tops = std::make_shared<int>(0);
    f.pop3.OnSendTextToSocket = [tops](TObject*, const std::string& text) {
        for (size_t at = text.find("TOP "); at != std::string::npos; at = text.find("TOP ", at + 1))
            ++*tops;
    };
    return tops;
}

// The window's listings, one after another, each counted by the TOP commands it sent.
class RememberedListingTest : public AppTest {
protected:
    // Logs in as user and lists, by Connect or by the given menu entry: the TOP commands the
    // listing sent, -1 when it did not end listed.
    int List(TForm1& f, uint16_t port, const char* user, QAction* entry = nullptr) {
        FillLogin(port, user, "secret");
        const auto tops = CountTops(f);
        if (entry)
            entry->trigger();
        else
            f.Tools.BtnConnect->click();
        return f.ControlState() == TForm1::StateListed ? *tops : -1;
    }
};

std::vector<std::string> Mails(int from, int to) {
    std::vector<std::string> mails;
    for (int n = from; n <= to; ++n)
        mails.push_back(Mail("=?UTF-8?B?SsO8cmdlbg==?= <j" + std::to_string(n) + "@example.org>",
                             "=?ISO-8859-1?Q?Gr=FC=DFe?= " + std::to_string(n),
                             "Mon, " + std::to_string(n) + " May 2000 09:00:00 +0200"));
    return mails;
}

TEST_F(RememberedListingTest, ARememberedListingShowsWhatAFreshOneReads) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("memo", "secret", Mails(1, 5));
    TForm1& f = Open();
    FillLogin(server.port(), "memo", "secret");
    f.Tools.BtnConnect->click();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    // Mail 2 goes, two arrive before the next visit.
    f.mail_list->clearSelection();
    f.mail_list->item(2)->setSelected(true);
    auto asked = WhenModalShown("DeleteConfirmation", [](QWidget* box) {
        box->findChild<QPushButton*>("DeleteButton")->click();
    });
    f.Tools.BtnDelete->click();
    ASSERT_TRUE(*asked);
    f.Tools.BtnDisconnect->click();
    server.AddMails(Mails(6, 7));

    ASSERT_EQ(List(f, server.port(), "memo"), 2) << StatusLines().toStdString();
    const QStringList remembered = RowsWhole(f);
    ASSERT_EQ(remembered.size(), 6);
    f.Tools.BtnDisconnect->click();

    // Read afresh: every header from the server, and the same rows.
    ASSERT_EQ(List(f, server.port(), "memo", f.Part<TRememberedListing>().ListAfresh), 6)
        << StatusLines().toStdString();
    EXPECT_EQ(RowsWhole(f), remembered);
    f.Tools.BtnDisconnect->click();

    // What the afresh listing kept serves the next one.
    ASSERT_EQ(List(f, server.port(), "memo"), 0) << StatusLines().toStdString();
    EXPECT_EQ(RowsWhole(f), remembered);
    f.Tools.BtnDisconnect->click();
}

// In German too: the rows of remembered headers say what a fresh listing says, an empty
// subject and an unreadable date included.
TEST_F(RememberedListingTest, ARememberedListingInGermanShowsWhatAFreshOneReads) {
    SKIP_WITHOUT_DOVECOT();
    std::vector<std::string> mails = Mails(1, 2);
    mails.push_back(Mail("x@example.org", "", "irgendwann"));
    DovecotServer server("memo", "secret", mails);
    TForm1& f = Open({"de-DE"});
    ASSERT_EQ(List(f, server.port(), "memo"), 3) << StatusLines().toStdString();
    f.Tools.BtnDisconnect->click();

    ASSERT_EQ(List(f, server.port(), "memo"), 0) << StatusLines().toStdString();
    const QStringList remembered = RowsWhole(f);
    ASSERT_EQ(remembered.size(), 3);
    EXPECT_TRUE(remembered.back().contains("Die Betreff-Zeile ist leer"))
        << remembered.back().toStdString();
    f.Tools.BtnDisconnect->click();

    ASSERT_EQ(List(f, server.port(), "memo", f.Part<TRememberedListing>().ListAfresh), 3)
        << StatusLines().toStdString();
    EXPECT_EQ(RowsWhole(f), remembered);
    f.Tools.BtnDisconnect->click();
}

TEST_F(RememberedListingTest, ADamagedHeaderMemoryIsToldOnceAndReplaced) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("hurt", "secret", Mails(1, 3));
    const QString file = HeaderMemoryFile(AccountFolderName("hurt", "127.0.0.1", server.port()));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("not what the window writes\n");
    }
    TForm1& f = Open();
    for (const bool first : {true, false}) {
        ASSERT_EQ(List(f, server.port(), "hurt"), first ? 3 : 0) << StatusLines().toStdString();
        EXPECT_EQ(Rows().size(), 3);
        EXPECT_EQ(StatusLines().contains("The remembered headers " + file + " cannot be used"),
                  first)
            << StatusLines().toStdString();
        f.Tools.BtnDisconnect->click();
    }
    EXPECT_EQ(
        THeaderMemory::Load(QFile::encodeName(file).toStdString(), "as-sent=0 lines=0").State(),
        THeaderMemory::TState::Loaded);
}

TEST_F(RememberedListingTest, HeaderTextsAsSentChangedListsEverythingAfresh) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("sent", "secret", Mails(1, 3));
    TForm1& f = Open();
    // The first listing and the one after the change ask for every header, the third for none.
    const struct {
        bool asSent;
        int tops;
    } listings[] = {{false, 3}, {true, 3}, {true, 0}};
    for (const auto& listing : listings) {
        f.Menus.Datei_H->setChecked(listing.asSent);
        ASSERT_EQ(List(f, server.port(), "sent"), listing.tops)
            << "as sent " << listing.asSent << StatusLines().toStdString();
        EXPECT_EQ(Rows().size(), 3);
        f.Tools.BtnDisconnect->click();
    }
}

} // namespace
