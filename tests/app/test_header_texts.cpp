// The list shows header texts decoded, or as the server sent them when the menu option is set;
// the option is kept in the settings.
#include "AppFixture.h"

#include "ListColumns.h"

#include <QAction>

namespace {

TEST_F(AppTest, ListShowsDecodedHeaderTextsOrTheSentOnes) {
    SKIP_WITHOUT_DOVECOT();
    const std::string from = "=?windows-1252?Q?J=FCrgen_=84M=FCller=93?= <j@example.de>";
    const std::string subject = "=?UTF-8?B?R3LDvMOfZSBhdXMgS8O2bG4g4oKs?=";
    const std::string mail = Mail(from, subject, "Mon, 1 May 2000 10:11:12 +0200");
    DovecotServer server("bob", "secret", {mail});
    TForm1& f = Open({"de-DE"});
    EXPECT_FALSE(f.Menus.Datei_H->isChecked());
    FillLogin(server.port(), "bob", "secret");
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    const QString size = QString::fromStdString(DisplaySize(std::to_string(mail.size())));
    EXPECT_EQ(Rows(), QStringList{" 1 |" + size +
                                  QString::fromUtf8(" |01 May 2000|Jürgen „Müller“ "
                                                    "<j@example.de>|Grüße aus Köln €|")});

    // The option takes effect at the next listing.
    f.Menus.Datei_H->trigger();
    EXPECT_TRUE(f.HeaderTextsAsSent());
    f.BtnDisconnectClick();
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    // A listing was recorded before: the rows have the empty rule cell and the "New" one.
    EXPECT_EQ(Rows(), QStringList{" 1 |" + size + " |01 May 2000|" +
                                  QString::fromStdString(from + "|" + subject + "|||")});

    f.WriteToIniFile();
    EXPECT_EQ(Store()->value("HeaderTextsAsSent").toInt(), 1);
    EXPECT_TRUE(Open({"en-US"}).Menus.Datei_H->isChecked());
}

} // namespace
