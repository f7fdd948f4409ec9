// Pictures of the main window, introduction and listed mailbox, in both languages.
#include "AppFixture.h"

#include "MultiLst.h"
#include "SpamSettingsDialog.h"
#include "TrustDialog.h"

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QTest>

namespace {

TEST_F(AppTest, ScreenshotsOfIntroductionAndListing) {
    SKIP_WITHOUT_DOVECOT();
    const std::vector<std::string> mails = {
        Mail("Alice Example <alice@example.org>", "Lunch on Friday?",
             "Mon, 1 May 2000 10:11:12 +0200"),
        Mail("newsletter@shop.example", "Our May offers", "Tue, 16 May 2000 08:00:00 +0200",
             std::string(40000, 'x') + "\r\n"),
        Mail("Bob <bob@example.org>", "Holiday pictures", "Sat, 27 May 2000 19:30:00 +0200",
             std::string(1300000, 'y') + "\r\n"),
    };
    DovecotServer server("demo", "demo", mails);
    for (bool german : {true, false}) {
        const QString language = german ? "de" : "en";
        TForm1& f = Open({german ? "de-DE" : "en-US"});
        SaveScreenshot(&f, "main-introduction-" + language);
        FillLogin(server.port(), "demo", "demo");
        f.BtnConnectClick();
        ASSERT_EQ(Rows().size(), 3);
        f.mail_list->item(2)->setSelected(true);
        // The window follows the status bar's new texts once their layout has run.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        SaveScreenshot(&f, "main-listed-" + language);
        f.BtnDisconnectClick();
    }
}

// The about box, the spam scorer's dialog and a save dialog (Qt's own, in the window's
// language).
TEST_F(AppTest, ScreenshotsOfTheSmallDialogs) {
    for (bool german : {true, false}) {
        const QString language = german ? "de" : "en";
        TForm1& f = Open({german ? "de-DE" : "en-US"});
        about->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
        SaveScreenshot(about, "about-" + language);
        about->hide();
        TSpamSettingsDialog spam(&f, TSpamSetting{}, german);
        spam.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&spam));
        SaveScreenshot(&spam, "spam-settings-" + language);
        QFileDialog save(&f);
        save.setOption(QFileDialog::DontUseNativeDialog);
        save.setAcceptMode(QFileDialog::AcceptSave);
        save.setDirectory(QDir::tempPath());
        save.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&save));
        SaveScreenshot(&save, "save-dialog-" + language);
    }
}

TEST_F(AppTest, ScreenshotsOfTheTrustDialog) {
    TCertificateInfo certificate;
    certificate.Host = "localhost";
    certificate.Port = 995;
    certificate.Subject = "CN=localhost, O=InboxPruner demo";
    certificate.Issuer = "CN=localhost, O=InboxPruner demo";
    certificate.NotBefore = "2026-12-08 10:00:00 UTC";
    certificate.NotAfter = "2036-12-06 10:00:00 UTC";
    for (int i = 0; i < 32; ++i)
        certificate.Fingerprint +=
            (i ? ":" : "") + QByteArray::number(0xA0 + i * 3 % 90, 16).toUpper().toStdString();
    certificate.VerifyCode = 18; // X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT
    certificate.VerifyError = "self-signed certificate";
    for (bool german : {true, false}) {
        TForm1& f = Open({german ? "de-DE" : "en-US"});
        for (bool changed : {false, true}) {
            certificate.Changed = changed;
            TTrustDialog dialog(certificate, german, &f);
            dialog.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
            EXPECT_LE(dialog.btn_trust->sizeHint().width(), dialog.btn_trust->width());
            SaveScreenshot(&dialog, QStringLiteral("trust-dialog%1-%2")
                                        .arg(changed ? "-changed" : "", german ? "de" : "en"));
        }
    }
}

} // namespace
