// The window without a server: start, language, control states, hints, keys, account choice.
#include "AppFixture.h"
#include "E2eSupport.h"

#include "Application.h"

#include "BusyAnimation.h"
#include "ClientSocket.h"
#include "ConnectionSecurity.h"
#include "ErrorTexts.h"
#include "KeepNewest.h"
#include "LanguageTexts.h"
#include "MarkAlikeEntries.h"
#include "MarkCommands.h"
#include "MultiLst.h"
#include "OAuth2SignIn.h"
#include "RememberedPasswords.h"
#include "RulesDialog.h"
#include "RulesOnListing.h"
#include "SenderListEntries.h"
#include "SignInChoice.h"
#include "SignInTexts.h"
#include "SpaceView.h"
#include "SpamScores.h"
#include "TextTable.h"
#include "Unsubscribe.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

TEST_F(AppTest, FirstStartWithoutSettings) {
    TForm1& f = Open();
    EXPECT_EQ(f.windowTitle(), "InboxPruner");
    EXPECT_EQ(f.Login.servername->count(), 0);
    EXPECT_EQ(f.Login.Username->count(), 0);
    EXPECT_TRUE(f.Login.servername->currentText().isEmpty());
    EXPECT_TRUE(f.Login.Password->text().isEmpty());
    EXPECT_TRUE(f.Accounts.PasswordHistory().empty());
    EXPECT_EQ(FocusOf(f), f.Login.servername);
    EXPECT_EQ(f.pos(), QPoint(283, 185));
    // The stored default width of 458 is below the window's minimum: what the tool bar and the
    // login row need.
    EXPECT_EQ(f.width(), f.minimumWidth());
    EXPECT_GE(f.width(), f.Tools.Panel1->childrenRect().right());
    EXPECT_EQ(f.height(), 452);
    EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
    EXPECT_FALSE(f.mail_list->isVisible());
    EXPECT_FALSE(f.Bottom.Status->isVisible());
    EXPECT_FALSE(f.Tools.btn_cancel->isVisible());
    EXPECT_EQ(f.Part<TConnectionSecurity>().Choice->currentIndex(), 0)
        << "a new account starts in automatic mode";
    EXPECT_EQ(f.pop3.RetrieveProgressStep, 10);
    const int designWidths[] = {25, 75, 80, 95, 75};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(f.mail_list->SectionWidth(c), designWidths[c]);
}

TEST_F(AppTest, StartWithHistoryShowsTheNewestAccount) {
    SaveAccounts({{"pop.old.example", "olduser", "first"},
                  {"pop.mid.example", "mid", "second"},
                  {"pop.new.example", "newest", "third"}});
    TForm1& f = Open();
    EXPECT_EQ(f.Login.servername->count(), 3);
    EXPECT_EQ(f.Login.servername->currentText(), "pop.new.example");
    EXPECT_EQ(f.Login.Username->currentText(), "newest");
    EXPECT_EQ(f.Login.Password->text(), "third");
    EXPECT_EQ(f.Accounts.PasswordHistory(), (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(FocusOf(f), f.Login.Password);
}

TEST_F(AppTest, FocusRuleLooksAtServerAndUser) {
    SaveAccounts({{"pop.example", "", "x"}});
    // Only a server: the user field gets the focus.
    TForm1& f = Open();
    EXPECT_EQ(FocusOf(f), f.Login.Username);
    f.Login.servername->setEditText("");
    f.Login.Username->setEditText("someone");
    f.BtnDisconnectClick();
    EXPECT_EQ(FocusOf(f), f.Login.servername);
}

TEST_F(AppTest, ChoosingAnAccountFillsTheOtherTwoFields) {
    SaveAccounts(
        {{"a.example", "anna", "pa"}, {"b.example", "bert", "pb"}, {"c.example", "carl", "pc"}});
    TForm1& f = Open();
    f.servernameClick(0);
    EXPECT_EQ(f.Login.Username->currentText(), "anna");
    EXPECT_EQ(f.Login.Password->text(), "pa");
    emit f.Login.Username->activated(1);
    EXPECT_EQ(f.Login.servername->currentText(), "b.example");
    EXPECT_EQ(f.Login.Password->text(), "pb");
}

// Captions, tooltips and menu texts in both languages: the first UI language decides.
TEST_F(AppTest, TextsOfTheControlsInBothLanguages) {
    TForm1* f = nullptr;
    const std::vector<TextInBothLanguages> texts = {
        {"BtnConnect", [&] { return f->Tools.BtnConnect->text(); }, "Verbinden", "Connect"},
        {"BtnConnect tip", [&] { return f->Tools.BtnConnect->toolTip(); }, "Verbindung zum Server",
         "Connect to Server"},
        {"BtnInfo tip", [&] { return f->Tools.BtnInfo->toolTip(); }, "Über diese Programm",
         "About this program"},
        {"BtnMark", [&] { return f->Tools.BtnMark->text(); }, "Alle markieren", "Mark all"},
        {"BtnClose", [&] { return f->Tools.BtnClose->text(); }, "Verlassen", "Close"},
        {"BtnClose tip", [&] { return f->Tools.BtnClose->toolTip(); }, "Programm beenden",
         "Close programm"},
        {"btn_cancel", [&] { return f->Tools.btn_cancel->text(); }, "Abbrechen", "Cancel"},
        {"Label3", [&] { return f->Login.Label3->text(); }, "Passwort:", "Password:"},
        {"Header_Nein", [&] { return f->Login.Header_Nein->text(); },
         "Kein Absender / Betreff / Größe / Datum anzeigen",
         "Don't show Sender / Subject / Date / Size of Mail"},
        {"Datei", [&] { return f->Menus.Datei->title(); }, "&Server", "&Server"},
        {"Datei_C", [&] { return f->Menus.Datei_C->text(); }, "&Verbinde", "Co&nnect"},
        {"Datei_L", [&] { return f->Menus.Datei_L->text(); }, "&Lösche e-mails", "D&elete e-mails"},
        {"Datei_H", [&] { return f->Menus.Datei_H->text(); }, "Kopfzeilen &wie vom Server gesendet",
         "Header texts as the server &sent them"},
        {"Datei_S", [&] { return f->Part<TSpamScores>().Datei_S->text(); }, "Spam-&Bewertung…",
         "Spam sc&oring…"},
        {"Datei_P", [&] { return f->Part<TSpamScores>().Datei_P->text(); }, "&Spam markieren",
         "M&ark spam"},
        {"men_spam", [&] { return f->Part<TSpamScores>().men_spam->text(); }, "Das ist Spam",
         "This is spam"},
        {"men_ham", [&] { return f->Part<TSpamScores>().men_ham->text(); }, "Das ist kein Spam",
         "This is not spam"},
        {"Datei_R", [&] { return f->Part<TRulesOnListing>().Datei_R->text(); }, "Regeln…",
         "Rules…"},
        {"Marks",
         [&] {
             return QStringList{f->Part<TMarkCommands>().Undo->text(),
                                f->Part<TMarkCommands>().Unmark->text(),
                                f->Part<TMarkCommands>().Invert->text(),
                                f->Part<TMarkCommands>().OnlyMarked->text()}
                 .join('|');
         },
         "Markierung &rückgängig|Alle Markierungen au&fheben|Markierungen &umkehren|"
         "Nur markierte a&nzeigen",
         "&Undo marking|Unmark a&ll|&Invert marks|Show onl&y marked"},
        {"RulesDialog",
         [&] {
             const TRulesDialog d({}, {}, {}, f->GermanUI(), f);
             return QStringList{d.windowTitle(),    d.Tabs->tabText(0),   d.Tabs->tabText(1),
                                d.Tabs->tabText(2), d.ForAccount->text(), d.ForAll->text(),
                                d.Import->text(),   d.Export->text()}
                 .join('|');
         },
         "Regeln|Regeln|Freunde und Sperrliste|Sieve|für dieses Konto|für alle Konten|"
         "Importieren…|Exportieren…",
         "Rules|Rules|Friends and blocked|Sieve|for this account|for all accounts|Import…|"
         "Export…"},
        {"help_I", [&] { return f->Menus.help_I->text(); }, "&Über", "&About"},
        {"men_email_anzeigen", [&] { return f->Menus.men_email_anzeigen->text(); },
         "e-mail anzeigen", "Show e-mail"},
        {"men_alike_domain", [&] { return f->Part<TMarkAlikeEntries>().men_alike_domain->text(); },
         "Alle von der Domain dieses Absenders markieren", "Mark all from this sender's domain"},
        {"men_alike_older", [&] { return f->Part<TMarkAlikeEntries>().men_alike_older->text(); },
         "Alle älteren als diese Mail markieren", "Mark all older than this mail"},
        {"men_keep_sender", [&] { return f->Part<TSenderListEntries>().men_keep_sender->text(); },
         "Mails von … immer behalten", "Always keep mails from …"},
        {"men_mark_domain", [&] { return f->Part<TSenderListEntries>().men_mark_domain->text(); },
         "Mails von … immer markieren", "Always mark mails from …"},
        {"men_unsubscribe", [&] { return f->Part<TUnsubscribe>().men_unsubscribe->text(); },
         "Abmelden (die e-mail bietet es nicht an)", "Unsubscribe (the mail does not offer it)"},
        {"men_newest",
         [&] {
             return f->Part<TKeepNewest>().men_newest_sender->text() + "|" +
                    f->Part<TKeepNewest>().men_newest_list->text();
         },
         "Nur die neuesten von diesem Absender behalten…|Nur die neuesten dieser Liste behalten…",
         "Keep only the newest from this sender…|Keep only the newest from this list…"},
        {"mail_list", [&] { return f->mail_list->HeaderSections().join('|'); },
         "|Größe|Datum|Absender|Betreff", "|Size|Date|From|Subject"},
    };
    const std::pair<QStringList, bool> languages[] = {
        {{"de-DE", "de"}, true}, {{"de-CH"}, true}, {{"de-AT"}, false},
        {{"en", "de"}, false},   {{}, false},
    };
    for (const auto& [uiLanguages, german] : languages) {
        SCOPED_TRACE(uiLanguages.join(',').toStdString());
        f = &Open(uiLanguages);
        EXPECT_EQ(f->GermanUI(), german);
        EXPECT_EQ(about->GermanUI(), german);
        EXPECT_EQ(f->info_fenster->isVisible(), german);
        EXPECT_EQ(f->info_fenster_eng->isVisible(), !german);
        if (german) {
            EXPECT_EQ(f->info_fenster->toPlainText(), IntroductionLines(true).join('\n'));
        }
        ExpectTexts(texts, german);
    }
}

TEST_F(AppTest, ControlStates) {
    TForm1& f = Open();
    struct Row {
        QObject* control;
        bool idle, busy, listed;
    };
    QComboBox* security = f.Part<TConnectionSecurity>().Choice;
    const Row table[] = {
        {f.Tools.BtnConnect, true, false, false},
        {f.Menus.Datei_C, true, false, false},
        {f.Tools.BtnDisconnect, false, false, true},
        {f.Menus.Datei_D, false, false, true},
        {f.Tools.BtnDelete, false, false, true},
        {f.Menus.Datei_L, false, false, true},
        {f.Tools.BtnMark, false, false, true},
        {f.Menus.Datei_M, false, false, true},
        {f.Tools.BtnInfo, true, false, true},
        {f.Menus.help_I, true, false, true},
        {f.Tools.BtnClose, true, false, true},
        {f.Menus.Datei_Close, true, false, true},
        {f.Tools.btn_header, false, false, true},
        {f.Menus.men_header_anzeigen, false, false, true},
        {f.Tools.btn_mail, false, false, true},
        {f.Menus.men_email_anzeigen, false, false, true},
        // Nothing listed yet: the space view has nothing to show.
        {f.Part<TSpaceView>().Button, false, false, true},
        {f.Part<TSpaceView>().Entry, false, false, true},
        {f.Login.servername, true, false, false},
        {f.Login.Username, true, false, false},
        {f.Login.Password, true, false, false},
        {f.Login.Header_Nein, true, false, false},
        {security, true, false, false},
        {f.mail_list, true, true, true},
    };
    for (int state : {TForm1::StateIdle, TForm1::StateBusy, TForm1::StateListed}) {
        f.btn_aktivieren(state);
        for (const Row& row : table) {
            const bool expected = state == TForm1::StateIdle   ? row.idle
                                  : state == TForm1::StateBusy ? row.busy
                                                               : row.listed;
            EXPECT_EQ(row.control->property("enabled").toBool(), expected)
                << row.control->objectName().toStdString() << " in state " << state;
        }
        EXPECT_EQ(f.Tools.Status_avi->Active(), state == TForm1::StateBusy);
        EXPECT_EQ(f.Tools.Status_avi->isVisible(), state == TForm1::StateBusy);
    }
}

// The entries that components add take the places they always had: the marks' before the
// header texts option, the copies' right after it, the space view's before the sign-in's; the
// find row right below the list.
TEST_F(AppTest, ComponentsKeepTheirPlacesInMenuAndWindow) {
    TForm1& f = Open();
    QStringList entries;
    for (const QAction* action : f.Menus.Datei->actions())
        entries << action->objectName();
    EXPECT_EQ(entries.join(u' ').toStdString(),
              "Datei_C Datei_N Datei_D Datei_L Datei_M Datei_Undo Datei_Unmark Datei_Invert "
              "Datei_OnlyMarked Datei_H Datei_K Datei_Z Datei_R Datei_S Datei_P Datei_Space "
              "Datei_O AccountsEntry Datei_E Datei_Close");
    const QLayout* layout = f.centralWidget()->layout();
    const auto* row = f.centralWidget()->findChild<QWidget*>(QStringLiteral("FindRow"));
    ASSERT_TRUE(row);
    EXPECT_EQ(layout->indexOf(row), layout->indexOf(f.mail_list) + 1);
}

TEST_F(AppTest, BusyAnimationLoops) {
    TForm1& f = Open();
    f.btn_aktivieren(TForm1::StateBusy);
    const int first = f.Tools.Status_avi->Frame();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.Tools.Status_avi->Frame() != first; }, 5000));
    f.btn_aktivieren(TForm1::StateIdle);
    EXPECT_FALSE(f.Tools.Status_avi->Active());
}

// Moves the pointer twice over the window's own surface: from then on it has really moved.
void MovePointerOverSurface(TForm1& f) {
    for (const QPoint at : {QPoint(550, 85), QPoint(551, 86)}) {
        QCursor::setPos(f.Tools.Panel1->mapToGlobal(at));
        QCoreApplication::processEvents();
    }
}

TEST_F(AppTest, HintsInThirdPanelAndTheirClearing) {
    TForm1& f = Open({"de-DE"});
    MovePointerOverSurface(f);
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(f.Tools.BtnInfo, &enter);
    EXPECT_EQ(f.PanelText(2), "Information zu InboxPruner - Release: 28. Mai 2000");
    // A component's button has its hint too.
    QCoreApplication::sendEvent(f.Part<TSpaceView>().Button, &enter);
    EXPECT_EQ(f.PanelText(2), "Zeigt, welche Absender, Verteiler und Jahre den Platz belegen ...");
    QCoreApplication::sendEvent(f.Login.Password, &enter);
    EXPECT_EQ(f.PanelText(2), "Eigenes Passwort ...");
    // Moving over another control leaves the hint; only the window's own surface clears it.
    QCoreApplication::sendEvent(f.Login.servername, &enter);
    EXPECT_EQ(f.PanelText(2), "Eigenes Passwort ...");
    QTest::mouseMove(f.Tools.Panel1, QPoint(550, 85));
    EXPECT_EQ(f.PanelText(2), "");
    // Leaving the control takes its hint away.
    QCoreApplication::sendEvent(f.Tools.BtnInfo, &enter);
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(f.Tools.BtnInfo, &leave);
    EXPECT_EQ(f.PanelText(2), "");

    TForm1& e = Open();
    MovePointerOverSurface(e);
    QCoreApplication::sendEvent(e.Tools.btn_cancel, &enter);
    EXPECT_EQ(e.PanelText(2), "Stop current transmition ...");
}

// Regression: after a restart the window opens under the pointer at rest where Close was
// clicked; the start text stays until the pointer really moves over a control.
TEST_F(AppTest, StartTextStaysUntilThePointerMovesOverAControl) {
    const QString hint = QStringLiteral("End InboxPruner ...");
    TForm1& first = Open();
    MovePointerOverSurface(first);
    const QPoint overClose =
        first.Tools.BtnClose->mapToGlobal(first.Tools.BtnClose->rect().center());
    QCursor::setPos(overClose);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.PanelText(2) == hint; }, 5000));
    TForm1& f = Open();
    ASSERT_EQ(f.Tools.BtnClose->mapToGlobal(f.Tools.BtnClose->rect().center()), overClose);
    QCoreApplication::processEvents();
    EXPECT_EQ(f.PanelText(2), "");
    for (const QPoint by : {QPoint(2, 1), QPoint(3, 2)}) {
        QCursor::setPos(overClose + by);
        EXPECT_TRUE(QTest::qWaitFor([&] { return f.PanelText(2) == hint; }, 5000)) << by.x();
    }
}

TEST_F(AppTest, EmptyFieldsStopBeforeAnyNetworkActivity) {
    ScriptedServer server;
    server.Start();
    struct Case {
        QString server, user, password;
        const char* german;
        const char* english;
    };
    const Case cases[] = {
        {"", "bob", "pw", "\rFehler: POP3 Server fehlt", "\rError: No POP server specified"},
        {"127.0.0.1", "", "pw", "\rFehler: Username fehlt", "\rError: You will need an username"},
        {"127.0.0.1", "bob", "", "\rFehler: Passwort fehlt",
         "\rError: You will also need a password"},
        {"", "", "", "\rFehler: POP3 Server fehlt", "\rError: No POP server specified"},
    };
    for (bool german : {true, false}) {
        for (const Case& c : cases) {
            TForm1& f = Open({german ? "de-DE" : "en-GB"});
            FillLogin(server.port(), c.user, c.password, c.server);
            f.BtnConnectClick();
            EXPECT_EQ(StatusLines(), QString::fromUtf8(german ? c.german : c.english));
            EXPECT_EQ(f.ControlState(), TForm1::StateIdle);
            EXPECT_TRUE(f.Bottom.Status->isVisible());
            EXPECT_TRUE(f.mail_list->isVisible());
        }
    }
    EXPECT_EQ(server.Connections(), 0);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(AppTest, EnterInTheLoginFieldsStartsAConnect) {
    TForm1& f = Open();
    FillLogin(110, "", "pw");
    const struct {
        const char* name;
        QWidget* field;
        Qt::Key key;
    } presses[] = {
        {"header option", f.Login.Header_Nein, Qt::Key_Return},
        {"remember password", f.Part<TRememberedPasswords>().Remember, Qt::Key_Return},
        {"password", f.Login.Password, Qt::Key_Enter},
        {"server", f.Login.servername->lineEdit(), Qt::Key_Return},
    };
    for (const auto& press : presses) {
        SCOPED_TRACE(press.name);
        f.StatusClear();
        QTest::keyClick(press.field, press.key);
        EXPECT_EQ(StatusLines(), "\rError: You will need an username");
    }
    EXPECT_TRUE(f.Part<TRememberedPasswords>().Remember->isChecked()) << "Enter is no toggle";
    // Enter never adds what was typed to the history list.
    EXPECT_EQ(f.Login.servername->count(), 0);
}

// The components' controls in the login row: the keys go through them in the row's order,
// Enter in them connects, captions do not overlap, and with OAuth2 no password is asked for.
TEST_F(AppTest, LoginRowTakesTheComponentsControlsIn) {
    TForm1& f = Open({"de-DE"});
    const TConnectionSecurity& security = f.Part<TConnectionSecurity>();
    const TOAuth2SignIn& signIn = f.Part<TOAuth2SignIn>();
    f.Login.Password->setFocus();
    for (QWidget* next : std::initializer_list<QWidget*>{f.Login.Header_Nein,
                                                         f.Part<TRememberedPasswords>().Remember,
                                                         security.Choice, signIn.Choice}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(FocusOf(f), next);
    }
    EXPECT_LT(security.Choice->geometry().right(), signIn.Caption->x());
    EXPECT_LE(signIn.Caption->geometry().right(), signIn.Choice->x());

    FillLogin(110, "", "pw");
    QTest::keyClick(signIn.Choice, Qt::Key_Return);
    EXPECT_EQ(StatusLines(), "\rFehler: Username fehlt");

    ChooseSignIn(*signIn.Choice, TSignIn::OAuth2);
    EXPECT_FALSE(f.Login.Password->isEnabled());
    FillLogin(110, "bob", "");
    f.BtnConnectClick();
    EXPECT_TRUE(StatusLines().contains(Tr(Texts::NoProvider, true))) << StatusLines().toStdString();
    ChooseSignIn(*signIn.Choice, TSignIn::Password);
    EXPECT_TRUE(f.Login.Password->isEnabled());
}

TEST_F(AppTest, IntroductionIsReplacedByTheListForGood) {
    TForm1& f = Open();
    FillLogin(110, "", "");
    f.BtnConnectClick();
    EXPECT_FALSE(f.info_fenster_eng->isVisible());
    EXPECT_TRUE(f.mail_list->isVisible());
    f.BtnDisconnectClick();
    f.BtnConnectClick();
    EXPECT_FALSE(f.info_fenster_eng->isVisible());
    EXPECT_FALSE(f.info_fenster->isVisible());
}

TEST_F(AppTest, AboutWindowOpensModally) {
    TForm1& f = Open();
    bool shown = false;
    WhenShown(about, [&] {
        shown = about->isVisible() && about->isModal();
        about->accept();
    });
    f.Tools.BtnInfo->click();
    EXPECT_TRUE(shown);
}

TEST_F(AppTest, ExceptionTextsReachTheErrorDisplay) {
    TForm1& f = Open({"en-US"});
    EXPECT_TRUE(
        DeliverShowingErrors([]() -> bool { throw std::runtime_error("Not connected."); }, &f));
    EXPECT_TRUE(DeliverShowingErrors(
        []() -> bool { throw std::runtime_error("Datei \xE4.txt kann nicht erstellt werden"); },
        &f));
    ASSERT_EQ(errorsShown.size(), 2u);
    EXPECT_EQ(errorsShown[0], "Not connected.");
    EXPECT_EQ(errorsShown[1], QString::fromUtf8("Datei ä.txt kann nicht erstellt werden"));
    EXPECT_FALSE(DeliverShowingErrors([] { return false; }, &f));
    // A transport failure is told by its cause in the window's language.
    f.pop3.ReceiveTimeout = std::chrono::seconds(60);
    EXPECT_TRUE(DeliverShowingErrors(
        []() -> bool {
            throw ESocketError(SocketErrorText(ETIMEDOUT, "recv"), TFailureCause::Timeout,
                               ETIMEDOUT);
        },
        &f));
    ASSERT_EQ(errorsShown.size(), 3u);
    EXPECT_EQ(errorsShown[2],
              "The server did not answer within 60 seconds.\nConnection timed out (110)");
}

} // namespace
