// The connection's security in the window: the choice in the login row, the server field, the
// questions asked while connecting, the history of modes and the trusted certificates.
#include "AppFixture.h"
#include "E2eSupport.h"

#include "ConnectionSecurity.h"
#include "RememberedPasswords.h"
#include "SecurityChoice.h"
#include "SecurityIndicator.h"
#include "TestCertificates.h"
#include "TrustDialog.h"
#include "TrustedCertificates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

namespace {

TCertificateInfo Certificate(const std::string& fingerprint, bool changed = false) {
    TCertificateInfo info;
    info.Host = "127.0.0.1";
    info.Port = 995;
    info.Subject = "CN=localhost";
    info.Issuer = "CN=<b>Test CA</b>";
    info.NotBefore = "2026-01-01 00:00:00 UTC";
    info.NotAfter = "2027-01-01 00:00:00 UTC";
    info.Fingerprint = fingerprint;
    info.VerifyError = "unable to get local issuer certificate";
    info.Changed = changed;
    return info;
}

std::string Fingerprint(char digit) {
    std::string text;
    for (int i = 0; i < 32; ++i)
        text += std::string(i ? ":" : "") + digit + 'F';
    return text;
}

TEST_F(AppTest, SecurityChoiceFitsItsRowAndComesLastInKeyOrder) {
    for (bool german : {true, false}) {
        TForm1& f = Open({german ? "de-DE" : "en-US"});
        const TConnectionSecurity& security = f.Part<TConnectionSecurity>();
        EXPECT_EQ(security.Caption->text(), german ? "Sicherheit:" : "Security:");
        EXPECT_EQ(Items(security.Choice),
                  german ? QStringList({"Automatisch", "SSL/TLS", "STARTTLS", "Keine"})
                         : QStringList({"Automatic", "SSL/TLS", "STARTTLS", "None"}));
        // Nothing cut off, nothing overlapping, all inside the window's smallest width.
        EXPECT_LE(security.Caption->sizeHint().width(), security.Caption->width());
        EXPECT_LE(security.Choice->sizeHint().width(), security.Choice->width());
        EXPECT_LE(security.Caption->geometry().right(), security.Choice->x());
        EXPECT_GT(security.Caption->y(), f.Login.Header_Nein->geometry().bottom());
        EXPECT_LE(security.Choice->geometry().bottom(), f.Tools.Panel1->height());

        f.Login.Password->setFocus();
        for (QWidget* next : std::initializer_list<QWidget*>{
                 f.Login.Header_Nein, f.Part<TRememberedPasswords>().Remember, security.Choice}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            EXPECT_EQ(FocusOf(f), next);
        }
    }
    // Enter in the choice connects, as in every login field.
    FillLogin(110, "", "pw");
    QTest::keyClick(form->Part<TConnectionSecurity>().Choice, Qt::Key_Return);
    EXPECT_EQ(StatusLines(), "\rError: You will need an username");
}

TEST_F(AppTest, HistoryKeepsTheServerAsTypedAndTheModeOfEachAccount) {
    ScriptedServer server;
    ScriptLogin(server, 0, 0);
    ScriptQuit(server);
    server.Start();
    // Entry 1 was written before modes were stored (plain text then); 2 has a damaged mode.
    SaveAccounts({{"old.example", "u1", "p1"},
                  {"odd.example", "u2", "p2"},
                  {"[::1]:2995", "u3", "p3"},
                  {"pop.example.org", "u4", "p4"}});
    {
        const auto store = Store();
        store->setValue("Security2", "bogus");
        store->setValue("Security3", "starttls");
        store->setValue("Security4", "tls");
    }
    TForm1& f = Open();
    EXPECT_EQ(ChosenSecurity(*f.Part<TConnectionSecurity>().Choice), TSecurity::Tls)
        << "the newest account's mode";
    const std::pair<int, TSecurity> picks[] = {
        {0, TSecurity::None}, {1, TSecurity::Auto}, {2, TSecurity::StartTls}, {3, TSecurity::Tls}};
    for (const auto& [index, mode] : picks) {
        f.UsernameClick(index);
        EXPECT_EQ(ChosenSecurity(*f.Part<TConnectionSecurity>().Choice), mode) << index;
    }
    f.Login.servername->setCurrentIndex(2);
    f.servernameClick(2);
    EXPECT_EQ(f.Login.servername->currentText(), "[::1]:2995");
    EXPECT_EQ(ChosenSecurity(*f.Part<TConnectionSecurity>().Choice), TSecurity::StartTls);

    // A new account, typed with blanks around it, is recorded as typed with the mode used.
    FillLogin(server.port(), "anna", "pw");
    f.Login.servername->setEditText("  " + ServerText(server.port()) + " ");
    f.BtnConnectClick();
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    ASSERT_EQ(f.Login.servername->count(), 5);
    EXPECT_EQ(f.Login.servername->itemText(4), ServerText(server.port()));
    f.close();

    const auto store = Store();
    const std::pair<QString, QString> written[] = {
        {"old.example", "none"},
        {"odd.example", "auto"},
        {"[::1]:2995", "starttls"},
        {"pop.example.org", "tls"},
        {ServerText(server.port()), "none"},
    };
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(store->value(QStringLiteral("Server%1").arg(k)).toString(), written[k - 1].first);
        EXPECT_EQ(store->value(QStringLiteral("Security%1").arg(k)).toString(),
                  written[k - 1].second);
    }
    TForm1& again = Open();
    EXPECT_EQ(again.Login.servername->currentText(), ServerText(server.port()));
    EXPECT_EQ(ChosenSecurity(*again.Part<TConnectionSecurity>().Choice), TSecurity::None);
    again.Login.servername->setCurrentIndex(3);
    again.servernameClick(3);
    EXPECT_EQ(ChosenSecurity(*again.Part<TConnectionSecurity>().Choice), TSecurity::Tls);
}

TEST_F(AppTest, TrustedFingerprintsRoundTripPerHostAndPort) {
    {
        TSettingsStore store;
        TTrustedCertificates trusted(store);
        trusted.Trust("POP.Example.org", 995, Fingerprint('A'));
        trusted.Trust("::1", 995, Fingerprint('B'));
        trusted.Trust("pop.example.org", 110, Fingerprint('C'));
    }
    TSettingsStore store;
    const TTrustedCertificates trusted(store);
    EXPECT_EQ(trusted.Fingerprint("pop.example.org", 995), Fingerprint('A'));
    EXPECT_EQ(trusted.Fingerprint("::1", 995), Fingerprint('B'));
    EXPECT_EQ(trusted.Fingerprint("pop.example.org", 110), Fingerprint('C'));
    EXPECT_EQ(trusted.Fingerprint("::1", 110), "");
    EXPECT_EQ(Store()->childGroups(), QStringList{"TrustedCertificates"});
}

TEST_F(AppTest, TrustDialogShowsTheCertificateAndRemembersTheTrust) {
    for (bool german : {true, false}) {
        TForm1& f = Open({german ? "de-DE" : "en-US"});
        struct Shown {
            QString server, subject, issuer, from, until, fingerprint, error, trust;
            bool changed = false;
        } shown;
        auto trusted = WhenModalShown("TrustDialog", [&](QWidget* window) {
            auto* dialog = qobject_cast<TTrustDialog*>(window);
            ASSERT_TRUE(dialog);
            shown = {dialog->lbl_server->text(),      dialog->lbl_subject->text(),
                     dialog->lbl_issuer->text(),      dialog->lbl_valid_from->text(),
                     dialog->lbl_valid_until->text(), dialog->lbl_fingerprint->text(),
                     dialog->lbl_error->text(),       dialog->btn_trust->text(),
                     dialog->lbl_changed->isVisible()};
            dialog->btn_trust->click();
        });
        EXPECT_TRUE(
            f.Part<TConnectionSecurity>().CertificateProblem(Certificate(Fingerprint('A'))));
        ASSERT_TRUE(*trusted);
        EXPECT_EQ(shown.server, "127.0.0.1:995");
        EXPECT_EQ(shown.subject, "CN=localhost");
        EXPECT_EQ(shown.issuer, "CN=<b>Test CA</b>") << "certificate texts are never markup";
        EXPECT_EQ(shown.from, "2026-01-01 00:00:00 UTC");
        EXPECT_EQ(shown.until, "2027-01-01 00:00:00 UTC");
        EXPECT_EQ(shown.fingerprint.remove(u'\n'), QString::fromStdString(Fingerprint('A')));
        EXPECT_EQ(shown.error, "unable to get local issuer certificate");
        EXPECT_EQ(shown.trust, german ? QString::fromUtf8("Diesem Zertifikat für diesen Server "
                                                          "&vertrauen")
                                      : QString("&Trust this certificate for this server"));
        EXPECT_FALSE(shown.changed);
        EXPECT_EQ(f.Part<TConnectionSecurity>().Trusted.Fingerprint("127.0.0.1", 995),
                  Fingerprint('A'));

        // The trusted certificate is accepted without asking; on another port it is asked for,
        // but not as a changed one.
        {
            auto asked = WhenModalShown("TrustDialog", [&](QWidget* window) {
                shown.changed = qobject_cast<TTrustDialog*>(window)->lbl_changed->isVisible();
                qobject_cast<TTrustDialog*>(window)->btn_cancel->click();
            });
            EXPECT_TRUE(f.Part<TConnectionSecurity>().CertificateProblem(
                Certificate(Fingerprint('A'), true)));
            QCoreApplication::processEvents();
            EXPECT_FALSE(*asked);
            TCertificateInfo otherPort = Certificate(Fingerprint('B'), true);
            otherPort.Port = 110;
            EXPECT_FALSE(f.Part<TConnectionSecurity>().CertificateProblem(otherPort));
            EXPECT_TRUE(*asked);
            EXPECT_FALSE(shown.changed);
        }

        // A different certificate for the same server: warned as changed; cancel keeps the old.
        QString warning;
        auto changed = WhenModalShown("TrustDialog", [&](QWidget* window) {
            auto* dialog = qobject_cast<TTrustDialog*>(window);
            shown.changed = dialog->lbl_changed->isVisible();
            warning = dialog->lbl_changed->text();
            dialog->btn_cancel->click();
        });
        EXPECT_FALSE(
            f.Part<TConnectionSecurity>().CertificateProblem(Certificate(Fingerprint('C'), true)));
        ASSERT_TRUE(*changed);
        EXPECT_TRUE(shown.changed);
        EXPECT_TRUE(warning.startsWith(german
                                           ? QString::fromUtf8("ACHTUNG: Das Zertifikat "
                                                               "dieses Servers hat sich geändert")
                                           : QString("WARNING: The certificate of this server "
                                                     "has changed")))
            << warning.toStdString();
        EXPECT_EQ(f.Part<TConnectionSecurity>().Trusted.Fingerprint("127.0.0.1", 995),
                  Fingerprint('A'));
        f.Settings().DeleteValue("TrustedCertificates");
    }
}

TEST_F(AppTest, UnencryptedConnectionNeedsConsent) {
    for (bool german : {true, false}) {
        TForm1& f = Open({german ? "de-DE" : "en-US"});
        for (bool consent : {true, false}) {
            QString text;
            auto asked = WhenModalShown("PlainTextQuestion", [&](QWidget* window) {
                auto* question = qobject_cast<QMessageBox*>(window);
                ASSERT_TRUE(question);
                text = question->text() + ' ' + question->informativeText();
                question->findChild<QPushButton*>(consent ? "btn_unencrypted" : "btn_cancel")
                    ->click();
            });
            EXPECT_EQ(f.Part<TConnectionSecurity>().PlainTextConsent("::1", 110), consent);
            ASSERT_TRUE(*asked);
            EXPECT_TRUE(text.contains("[::1]:110")) << text.toStdString();
            const char* const words[2][2] = {{"password", "unencrypted"},
                                             {"Passwort", "unverschlüsselt"}};
            for (const char* word : words[german ? 1 : 0])
                EXPECT_TRUE(text.contains(QString::fromUtf8(word))) << text.toStdString();
        }
    }
}

TEST_F(AppTest, StatusBarSaysWhileAPlainSessionIsOpen) {
    ScriptedServer server;
    ScriptLogin(server, 1, 100);
    ScriptMessage(server, 1, "Subject: One", 100);
    ScriptQuit(server);
    server.Start();
    TForm1& f = Open({"de-DE"});
    EXPECT_FALSE(f.Part<TConnectionSecurity>().Indicator->isVisible());
    FillLogin(server.port(), "bob", "pw");
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    EXPECT_EQ(f.Part<TConnectionSecurity>().Indicator->Shown(), TSecurityIndicator::TShown::Plain);
    EXPECT_TRUE(f.Part<TConnectionSecurity>().Indicator->isVisible());
    EXPECT_EQ(f.Part<TConnectionSecurity>().Indicator->text(),
              QString::fromUtf8("Passwort und Mails unverschlüsselt"));
    f.BtnDisconnectClick();
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_FALSE(f.Part<TConnectionSecurity>().Indicator->isVisible());
}

TEST_F(AppTest, SecureSessionsAgainstDovecotAskOnceAndRememberTheMode) {
    SKIP_WITHOUT_DOVECOT();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const TestAuthority ca(folder.path().toStdString(), "Test CA");
    const TestCertificate certificate = ca.Issue("localhost", {"localhost"}, {"127.0.0.1"});
    DovecotServer server("bob", "s3cret", {Mail("a@example.org", "Secret", "Mon, 1 May 2000")},
                         DovecotTls{certificate.CertFile, certificate.KeyFile});
    TForm1& f = Open({"de-DE"});
    const auto connect = [&](uint16_t port, TSecurity security) {
        FillLogin(port, "bob", "s3cret");
        ChooseSecurity(*f.Part<TConnectionSecurity>().Choice, security);
        f.BtnConnectClick();
    };

    // Automatic on the plain port: STLS, then the unknown CA is asked about once.
    TCertificateInfo asked;
    auto trust = WhenModalShown("TrustDialog", [&](QWidget* window) {
        auto* dialog = qobject_cast<TTrustDialog*>(window);
        asked.Subject = dialog->lbl_subject->text().toStdString();
        asked.VerifyError = dialog->lbl_error->text().toStdString();
        EXPECT_FALSE(SentAny("USER") || SentAny("PASS")) << "nothing sent yet";
        dialog->btn_trust->click();
    });
    connect(server.port(), TSecurity::Auto);
    ASSERT_TRUE(*trust);
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    EXPECT_NE(asked.Subject.find("localhost"), std::string::npos);
    EXPECT_FALSE(asked.VerifyError.empty());
    EXPECT_EQ(Rows().size(), 1);
    EXPECT_EQ(f.Part<TConnectionSecurity>().Indicator->Shown(),
              TSecurityIndicator::TShown::Encrypted);
    EXPECT_TRUE(f.Part<TConnectionSecurity>().Indicator->toolTip().contains("TLSv1."))
        << f.Part<TConnectionSecurity>().Indicator->toolTip().toStdString();
    EXPECT_TRUE(f.Part<TConnectionSecurity>().Indicator->toolTip().contains("localhost"));
    EXPECT_EQ(ChosenSecurity(*f.Part<TConnectionSecurity>().Choice), TSecurity::StartTls)
        << "the mode that worked";
    EXPECT_EQ(f.Accounts.Security(f.Login.servername->count() - 1), TSecurity::StartTls);
    f.BtnDisconnectClick();
    EXPECT_FALSE(f.Part<TConnectionSecurity>().Indicator->isVisible());

    // The next connect uses the remembered mode and certificate without asking.
    {
        auto again = WhenModalShown("TrustDialog", [](QWidget*) {});
        const std::size_t first = Sent().size();
        f.servernameClick(f.Login.servername->count() - 1);
        f.BtnConnectClick();
        EXPECT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
        EXPECT_FALSE(*again);
        ASSERT_GT(Sent().size(), first + 1);
        EXPECT_EQ(Sent()[first + 1], "STLS");
        f.BtnDisconnectClick();
    }

    // TLS on the other port is another server: asked again; cancel ends idle, nothing sent.
    const std::size_t sentBefore = Sent().size();
    auto cancel = WhenModalShown("TrustDialog", [](QWidget* window) {
        qobject_cast<TTrustDialog*>(window)->btn_cancel->click();
    });
    connect(server.tlsPort(), TSecurity::Tls);
    ASSERT_TRUE(*cancel);
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_EQ(Sent().size(), sentBefore);
    EXPECT_EQ(StatusLines(),
              QString::fromUtf8("\rVerbindung abgebrochen, Ihr Passwort wurde nicht gesendet."));
    f.close();
    const auto store = Store();
    EXPECT_EQ(store->value("Security1").toString(), "starttls");
    EXPECT_FALSE(
        store->value("TrustedCertificates/" + ServerText(server.port())).toString().isEmpty());
    EXPECT_TRUE(
        store->value("TrustedCertificates/" + ServerText(server.tlsPort())).toString().isEmpty());
}

TEST_F(AppTest, AutomaticModeAsksBeforeAPlainConnectionAndRemembersTheConsent) {
    ScriptedServer server;
    const auto offerNoStls = [&] {
        server.Send("+OK POP3 ready\r\n");
        server.AwaitLine(); // CAPA
        server.Send("+OK\r\nUSER\r\nTOP\r\n.\r\n");
    };
    offerNoStls();
    server.AcceptNext();
    offerNoStls();
    server.AwaitLine();
    server.Send("+OK\r\n");
    server.AwaitLine();
    server.Send("+OK logged in\r\n");
    server.AwaitLine(); // CAPA after login
    server.Send("+OK\r\nUSER\r\nTOP\r\n.\r\n");
    server.AwaitLine();
    server.Send("+OK 0 0\r\n");
    ScriptQuit(server);
    server.Start();
    TForm1& f = Open();
    for (bool consent : {false, true}) {
        FillLogin(server.port(), "bob", "pw");
        ChooseSecurity(*f.Part<TConnectionSecurity>().Choice, TSecurity::Auto);
        auto asked = WhenModalShown("PlainTextQuestion", [&](QWidget* window) {
            window->findChild<QPushButton*>(consent ? "btn_unencrypted" : "btn_cancel")->click();
        });
        f.BtnConnectClick();
        ASSERT_TRUE(*asked);
        EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
        EXPECT_EQ(SentAny("USER"), consent);
    }
    EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
    EXPECT_EQ(ChosenSecurity(*f.Part<TConnectionSecurity>().Choice), TSecurity::None);
    EXPECT_EQ(f.Accounts.Security(0), TSecurity::None);
}

} // namespace
