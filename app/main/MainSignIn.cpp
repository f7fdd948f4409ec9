// The sign-in choice of the login row, and the OAuth2 sign-in: the access token that takes
// the password's place, from this run, from a refresh, or from a sign-in in the browser.
#include "ByteText.h"
#include "Main.h"
#include "OAuth2Flow.h"
#include "OAuth2ProviderDialog.h"
#include "OAuth2TokenStore.h"
#include "ServerAddress.h"
#include "SignInChoice.h"
#include "SignInTexts.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

namespace {

// An access token this close to its end is renewed before it goes out.
constexpr int ExpiryMarginSeconds = 60;

} // namespace

void TForm1::WireSignIn() {
    // The menus are built after the login row.
    Datei_O = new QAction(this);
    Datei_O->setObjectName(QStringLiteral("Datei_O"));
    Datei->insertAction(Datei_E, Datei_O);
    FillSignInChoice(*Anmeldung, false);
    FSignInFlow = new TOAuth2Flow(this);
    SignInClock = [] { return QDateTime::currentDateTimeUtc(); };
    connect(Anmeldung, &QComboBox::currentIndexChanged, this,
            [this] { Password->setEnabled(ControlState() == StateIdle && !SignsInWithOAuth2()); });
    // After the account's other fields, its way of signing in.
    for (QComboBox* history : {servername, Username})
        connect(history, &QComboBox::activated, this, &TForm1::ChooseAccountSignIn);
    connect(Datei_O, &QAction::triggered, this, &TForm1::Datei_OClick);
    Anmeldung->installEventFilter(this);
}

void TForm1::ApplySignInTexts() {
    Label5->setText(Tr(Texts::SignInLabel, GermanUI()));
    FillSignInChoice(*Anmeldung, GermanUI());
    Anmeldung->setToolTip(Tr(Texts::TipSignIn, GermanUI()));
    Datei_O->setText(Tr(Texts::ProviderMenu, GermanUI()));
}

void TForm1::ChooseAccountSignIn(int account) {
    if (account >= 0 && account < servername->count())
        ChooseSignIn(*Anmeldung, Accounts.SignIn(account));
}

bool TForm1::SignsInWithOAuth2() const {
    return ChosenSignIn(*Anmeldung) == TSignIn::OAuth2;
}

void TForm1::Datei_OClick() {
    const auto address = ParseServerAddress(ToBytes(servername->currentText().trimmed()));
    if (!address) {
        StatusClear();
        StatusAppendText(Texts::ProviderNeedsServer);
        Status->show();
        return;
    }
    const QString host = FromBytes(address->Host);
    TOAuth2ProviderDialog dialog(
        this, host, OAuth2ProviderFor(FSettings, host).value_or(TOAuth2Provider{}), GermanUI());
    if (dialog.exec() == QDialog::Accepted)
        SaveOAuth2Provider(FSettings, host, dialog.Provider());
}

void TForm1::StopSignInWait() {
    if (FSignInFlow)
        FSignInFlow->Cancel();
}

bool TForm1::PrepareSignIn() {
    pop3.Auth = TAuthMethod::Password;
    if (!SignsInWithOAuth2())
        return true;
    const QString user = Username->currentText();
    const auto provider = OAuth2ProviderFor(FSettings, FromBytes(pop3.Host));
    const TText* missing = !provider                      ? &Texts::NoProvider
                           : provider->ClientId.isEmpty() ? &Texts::NoClientId
                                                          : nullptr;
    if (missing) {
        StatusClear();
        StatusAppendText(*missing);
        return false;
    }
    if (!FTokens)
        FTokens = new TOAuth2TokenStore(Keyring != nullptr, this);
    const QString issuer = OAuth2Issuer(*provider);
    TOAuth2Tokens tokens = FTokens->Find(issuer, user);
    if (Aborted())
        return false;
    const auto usable = [this](const TOAuth2Tokens& t) {
        return !t.Access.isEmpty() &&
               (!t.Expires.isValid() || SignInClock() < t.Expires.addSecs(-ExpiryMarginSeconds));
    };
    const auto failed = [this](const TOAuth2Flow::Outcome& outcome) {
        if (outcome.Status == TOAuth2Flow::Result::Cancelled)
            return true;
        StatusClear();
        if (outcome.Status == TOAuth2Flow::Result::TimedOut)
            StatusAppendText(Texts::SignInTimedOut);
        else
            StatusAppend(Tr(Texts::SignInFailed, GermanUI()).arg(outcome.Error));
        return true;
    };

    // Tokens the provider just handed out are good, whatever the clock says.
    bool renewed = false;
    if (!usable(tokens) && !tokens.Refresh.isEmpty()) {
        StatusAppendText(Texts::RefreshingToken);
        const TOAuth2Flow::Outcome refresh = FSignInFlow->Refresh(*provider, tokens.Refresh);
        if (refresh.Status == TOAuth2Flow::Result::Done) {
            tokens = refresh.Tokens;
            renewed = true;
        } else if (refresh.Status == TOAuth2Flow::Result::Refused) {
            // Revoked or run out: only a new sign-in helps.
            FTokens->Forget(issuer, user);
            tokens = {};
            StatusAppendText(Texts::SignInAgain);
        } else {
            return !failed(refresh);
        }
    }
    if (!renewed && !usable(tokens)) {
        StatusAppendText(Texts::WaitingForBrowser);
        FSignInFlow->OpenBrowser = OpenBrowser;
        FSignInFlow->DonePage = Tr(Texts::SignInDonePage, GermanUI());
        const TOAuth2Flow::Outcome signIn = FSignInFlow->SignIn(*provider, user);
        if (signIn.Status != TOAuth2Flow::Result::Done)
            return !failed(signIn);
        tokens = signIn.Tokens;
        renewed = true;
        if (!FTokens->KeepsRefreshTokens() && !std::exchange(FSignInNotKeptShown, true))
            QueueKeyringNotice(Tr(Texts::SignInNotKept, GermanUI()));
    }
    if (renewed) {
        const QString notStored = FTokens->Keep(issuer, user, tokens);
        if (!notStored.isEmpty())
            QueueKeyringNotice(Tr(Texts::SignInNotStored, GermanUI()).arg(notStored));
    }
    pop3.Auth = TAuthMethod::XOAuth2;
    pop3.AccessToken = tokens.Access.toStdString();
    return true;
}

bool TForm1::SignInRefused() {
    // A token that did not go out (no TLS, no such mechanism) was not what the server refused.
    if (pop3.Auth == TAuthMethod::Password || !pop3.AccessToken.empty() || !FTokens)
        return pop3.Auth != TAuthMethod::Password;
    // The provider may have revoked it before its time: the next connect must not send it
    // again.
    const auto provider = OAuth2ProviderFor(FSettings, FromBytes(pop3.Host));
    const bool refreshable =
        provider && FTokens->DropAccess(OAuth2Issuer(*provider), FromBytes(pop3.UserId));
    StatusAppendText(refreshable ? Texts::TokenDroppedRefresh : Texts::TokenDroppedSignIn);
    return true;
}

void TForm1::RememberSignIn() {
    const int newest = servername->count() - 1;
    Accounts.SetSignIn(newest, ChosenSignIn(*Anmeldung));
    if (!SignsInWithOAuth2()) {
        RememberPassword();
        return;
    }
    // The provider's tokens take the password's place; none is kept for this account.
    Accounts.SetPassword(newest, {});
}

void TForm1::SignInAndList() {
    if (PrepareSignIn()) {
        ConnectAndList();
        return;
    }
    if (Aborted())
        return;
    StatusAppendText(Texts::Terminated);
    ShowCancelButton(false);
    QuitSession();
}
