// Status lines tell the state as it is now: a finished listing, the marks after they change,
// and no count of new mails after a login that failed.
#include "AppFixture.h"
#include "Find.h"
#include "NewMailMarkers.h"

#include "MultiLst.h"

#include <QTest>

#include <string>
#include <vector>

namespace {

// Clicks a row of the list as the user does, with the given keys held.
void ClickRow(TForm1& f, int row, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    const QRect place = f.mail_list->visualItemRect(f.mail_list->item(row));
    QTest::mouseClick(f.mail_list->viewport(), Qt::LeftButton, keys, place.center());
}

struct Language {
    const char* ui;
    const char* listed; // the line of a complete listing of three mails
    const char* threeMarked;
    const char* oneMarked;
    const char* twoMarked;
    const char* refused; // the start of the status after a refused login
};
const Language kLanguages[] = {
    {"en-US", "\r3 of 3 e-mails are listed.", "\r3 mails marked.", "\r1 mails marked.",
     "\r2 mails marked.", "\rError: "},
    {"de-DE", "\rEs wurden 3 von 3 e-mails aufgelistet.", "\r3 Mails markiert.",
     "\r1 Mails markiert.", "\r2 Mails markiert.", "\rFehler: "},
};

TEST_F(AppTest, StatusFollowsTheListingAndTheMarks) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("bob", "secret",
                         {Mail("a@example.org", "One", "Mon, 1 May 2000 10:11:12 +0200"),
                          Mail("b@example.org", "Two", "Tue, 2 May 2000 10:11:12 +0200"),
                          Mail("c@example.org", "Three", "Wed, 3 May 2000 10:11:12 +0200")});
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.ui);
        TForm1& f = Open({QString::fromLatin1(language.ui)});
        FillLogin(server.port(), "bob", "secret");
        f.Tools.BtnConnect->click();
        ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
        // The line of the running listing is gone with it.
        EXPECT_EQ(StatusLines(), QString::fromUtf8(language.listed));

        f.Part<TFind>().BtnMarkShownClick();
        EXPECT_EQ(StatusLines(), QString::fromUtf8(language.threeMarked));
        ClickRow(f, 2);
        EXPECT_EQ(MarkedRows(), std::vector<int>{2});
        EXPECT_EQ(StatusLines(), QString::fromUtf8(language.oneMarked));
        ClickRow(f, 3, Qt::ControlModifier);
        EXPECT_EQ(StatusLines(), QString::fromUtf8(language.twoMarked));
        f.BtnMarkClick();
        EXPECT_EQ(StatusLines(), QString::fromUtf8(language.threeMarked));
        // Once the status tells of something else, a click leaves it alone.
        f.StatusClear();
        f.StatusAppend(QStringLiteral("\rother"));
        ClickRow(f, 1);
        EXPECT_EQ(StatusLines(), "\rother");
        f.Tools.BtnDisconnect->click();
    }
}

TEST_F(AppTest, NoCountOfNewMailsAfterAFailedLogin) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("bob", "secret",
                         {Mail("a@example.org", "One", "Mon, 1 May 2000 10:11:12 +0200")});
    for (const Language& language : kLanguages) {
        SCOPED_TRACE(language.ui);
        TForm1& f = Open({QString::fromLatin1(language.ui)});
        FillLogin(server.port(), "bob", "secret");
        f.Tools.BtnConnect->click();
        ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
        ASSERT_TRUE(f.Part<TNewMailMarkers>().Count->isVisible());
        ASSERT_FALSE(f.Part<TNewMailMarkers>().Count->text().isEmpty());
        f.Tools.BtnDisconnect->click();

        FillLogin(server.port(), "bob", "wrong");
        f.Tools.BtnConnect->click();
        ASSERT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_TRUE(StatusLines().startsWith(QString::fromUtf8(language.refused)))
            << StatusLines().toStdString();
        EXPECT_FALSE(f.Part<TNewMailMarkers>().Count->isVisible());
        EXPECT_TRUE(f.Part<TNewMailMarkers>().Count->text().isEmpty());
        EXPECT_EQ(f.PanelText(0), QString());
    }
}

} // namespace
