// The window in German beyond its own texts (Qt's dialogs, buttons and key names, the
// certificate's problem), columns that share the list's width, and a stored geometry that
// the screen cannot hold.
#include "AppFixture.h"

#include "ExtraColumns.h"
#include "MarkAlikeEntries.h"
#include "MultiLst.h"
#include "SpamSettingsDialog.h"
#include "TrustDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QScreen>
#include <QTest>

#include <openssl/x509_vfy.h>

namespace {

QString Plain(QString text) {
    return text.remove(u'&');
}

QString ButtonText(const QWidget& dialog, QDialogButtonBox::StandardButton which) {
    for (const QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>()) {
        if (const QPushButton* button = box->button(which))
            return Plain(button->text());
    }
    return QStringLiteral("(none)");
}

QString ReasonFor(TForm1& f, long code, const char* openSsl) {
    TCertificateInfo certificate;
    certificate.Host = "pop.example";
    certificate.Port = 995;
    certificate.VerifyCode = code;
    certificate.VerifyError = openSsl;
    const TTrustDialog dialog(certificate, f.GermanUI(), &f);
    EXPECT_EQ(dialog.lbl_error->text(), QString::fromLatin1(openSsl)) << "OpenSSL's words stay";
    return dialog.lbl_reason->text();
}

TEST_F(AppTest, QtsOwnTextsAndTheCertificateProblemSpeakTheWindowsLanguage) {
    struct Row {
        const char* language;
        const char* save;
        const char* cancel;
        const char* fileName;
        const char* shortcutStart;
        const char* selfSigned;
        const char* otherName;
    };
    const Row rows[] = {
        {"de-DE", "Speichern", "Abbrechen", "Dateiname:", "Strg+Umschalt+",
         "Das Zertifikat ist selbst ausgestellt: niemand außer dem Server bürgt dafür.",
         "Das Zertifikat gehört zu einem anderen Servernamen."},
        {"en-US", "Save", "Cancel", "File name:", "Ctrl+Shift+",
         "The certificate is self-signed: nobody but the server vouches for it.",
         "The certificate belongs to another server name."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.language);
        TForm1& f = Open({row.language});

        QFileDialog save(&f);
        save.setOption(QFileDialog::DontUseNativeDialog);
        save.setAcceptMode(QFileDialog::AcceptSave);
        EXPECT_EQ(ButtonText(save, QDialogButtonBox::Save), QString::fromUtf8(row.save));
        EXPECT_EQ(ButtonText(save, QDialogButtonBox::Cancel), QString::fromUtf8(row.cancel));
        const QLabel* fileName = save.findChild<QLabel*>(QStringLiteral("fileNameLabel"));
        ASSERT_NE(fileName, nullptr);
        EXPECT_EQ(Plain(fileName->text()), QString::fromUtf8(row.fileName));

        const TSpamSettingsDialog spam(&f, TSpamSetting{}, f.GermanUI());
        EXPECT_EQ(ButtonText(spam, QDialogButtonBox::Cancel), QString::fromUtf8(row.cancel));

        // As the menu shows it.
        const QString shortcut = f.Part<TMarkAlikeEntries>().men_alike_sender->shortcut().toString(
            QKeySequence::NativeText);
        EXPECT_TRUE(shortcut.startsWith(QString::fromUtf8(row.shortcutStart)))
            << shortcut.toStdString();

        EXPECT_EQ(ReasonFor(f, X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT, "self-signed certificate"),
                  QString::fromUtf8(row.selfSigned));
        EXPECT_EQ(ReasonFor(f, X509_V_ERR_HOSTNAME_MISMATCH, "hostname mismatch"),
                  QString::fromUtf8(row.otherName));
    }
}

// With the rule, new and spam columns all shown, Subject keeps a third of the list and From
// stays readable; "New" holds a mark and is as wide as its caption, at any window width.
TEST_F(AppTest, SubjectKeepsAThirdOfTheListBesideTheShortColumns) {
    SKIP_WITHOUT_DOVECOT();
    DovecotServer server("anna", "secret",
                         {Mail("Alice Example <alice@example.org>", "Lunch on Friday?",
                               "Mon, 1 May 2000 10:11:12 +0200"),
                          Mail("bob@example.org", "Photos", "Tue, 2 May 2000 10:11:12 +0200")});
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    ASSERT_TRUE(QDir().mkpath(data));
    QFile rules(data + "/rules.sieve");
    ASSERT_TRUE(rules.open(QIODevice::WriteOnly));
    rules.write("# rule: big\nif size :over 1M { discard; }\n");
    rules.close();
    {
        // A scorer that cannot be reached still has its column.
        const auto store = Store();
        store->setValue("SpamScorer", "spamc");
        store->setValue("SpamScorerPlace", "127.0.0.1:1");
        store->setValue("SpamScorerTimeout", 1);
    }
    TForm1& f = Open({"de-DE"});
    FillLogin(server.port(), "anna", "secret");
    // The second listing knows which mails are new.
    f.BtnConnectClick();
    f.BtnDisconnectClick();
    f.BtnConnectClick();
    ASSERT_EQ(f.ControlState(), TForm1::StateListed) << StatusLines().toStdString();
    const QStringList captions = f.mail_list->HeaderSections();
    ASSERT_EQ(captions.value(RuleColumn), "Regel");
    ASSERT_EQ(captions.value(NewColumn), "Neu");
    ASSERT_EQ(captions.value(SpamColumn), "Spam");

    const TMultiListHeader& header = *f.mail_list->ListHeader();
    for (const int width : {f.minimumWidth(), 800, 1200}) {
        SCOPED_TRACE(width);
        f.resize(width, f.height());
        f.mail_list->viewport()->repaint();
        const int list = header.width();
        EXPECT_GE(header.SectionWidth(4) * 3, list - 3) << "Subject";
        EXPECT_GE(header.SectionWidth(3), 56) << "From";
        EXPECT_LE(header.SectionWidth(NewColumn), header.FittedWidth(NewColumn) + 2) << "New";
        EXPECT_LE(header.SectionWidth(SpamColumn), header.FittedWidth(SpamColumn) + 20) << "Spam";
    }
    f.BtnDisconnectClick();
}

// A stored size larger than the screen is made smaller and moved onto it; a window closed
// maximised opens maximised, and keeps the size to go back to.
TEST_F(AppTest, StoredGeometryIsFittedToTheScreenAndMaximisedComesBack) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Wider than the screen; as large as the screen but placed half off it (as a window
    // stored while maximised was).
    for (const QSize stored : {QSize(screen.width() + 300, screen.height() - 19),
                               QSize(screen.width(), screen.height() - 19)}) {
        {
            const auto store = Store();
            store->setValue("XPos", screen.left() + 284);
            store->setValue("YPos", screen.top() + 205);
            store->setValue("Width", stored.width());
            store->setValue("Height", stored.height());
        }
        TForm1& f = Open();
        EXPECT_TRUE(screen.contains(f.frameGeometry()))
            << stored.width() << ": " << f.frameGeometry().x() << "," << f.frameGeometry().y()
            << " " << f.frameGeometry().width() << "x" << f.frameGeometry().height();
        EXPECT_FALSE(f.isMaximized());
    }

    TForm1& f = *form;
    f.resize(600, 400);
    const QRect normal = f.geometry();
    f.showMaximized();
    QTRY_VERIFY(f.isMaximized());
    f.close();
    EXPECT_EQ(Store()->value("Maximized").toInt(), 1);
    EXPECT_EQ(Store()->value("Width").toInt(), normal.width()) << "the size before maximising";

    // Opened maximised, closed again: the size to go back to is still the one before.
    TForm1& again = Open();
    QTRY_VERIFY(again.isMaximized());
    again.close();
    EXPECT_EQ(Store()->value("Maximized").toInt(), 1);
    EXPECT_EQ(QSize(Store()->value("Width").toInt(), Store()->value("Height").toInt()),
              normal.size());
}

} // namespace
