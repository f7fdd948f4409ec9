#include "OAuth2SignIn.h"

#include "AccountHistory.h"
#include "ByteText.h"
#include "Frame.h"
#include "MbxPOP3.h"
#include "OAuth2Flow.h"
#include "OAuth2ProviderDialog.h"
#include "OAuth2Renewal.h"
#include "OAuth2TokenStore.h"
#include "RememberedPasswords.h"
#include "ServerAddress.h"
#include "SignInChoice.h"
#include "SignInTexts.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>

TOAuth2SignIn::TOAuth2SignIn(TFrame& frame, TRememberedPasswords& passwords)
    : ProviderEntry(new QAction(&frame.Window())),
      OpenBrowser([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      Clock([] { return QDateTime::currentDateTimeUtc(); }), frame_(frame), passwords_(passwords),
      flow_(new TOAuth2Flow(this)) {
    // Beside the security choice.
    const TFrame::TLoginChoice choice = frame.AddLoginChoice("Label5", "Anmeldung", 120);
    Caption = &choice.Caption;
    Choice = &choice.Field;
    FillSignInChoice(*Choice, false);
    connect(Choice, &QComboBox::currentIndexChanged, this,
            [this] { frame_.PasswordNeedChanged(); });
    ProviderEntry->setObjectName(QStringLiteral("Datei_O"));
    frame.ServerMenu().insertAction(frame.ServerEnd(), ProviderEntry);
    connect(ProviderEntry, &QAction::triggered, this, &TOAuth2SignIn::ProviderClick);
}

void TOAuth2SignIn::LanguageChanged(bool germanUI) {
    Caption->setText(Tr(Texts::SignInLabel, germanUI));
    FillSignInChoice(*Choice, germanUI);
    Choice->setToolTip(Tr(Texts::TipSignIn, germanUI));
    ProviderEntry->setText(Tr(Texts::ProviderMenu, germanUI));
}

void TOAuth2SignIn::AccountChosen(int account) {
    if (account >= 0 && account < frame_.History().ServerHistory().size())
        ChooseSignIn(*Choice, frame_.History().SignIn(account));
}

bool TOAuth2SignIn::SignsInWithOAuth2() const {
    return ChosenSignIn(*Choice) == TSignIn::OAuth2;
}

bool TOAuth2SignIn::PasswordNeeded() const {
    // The provider signs the user in.
    return !SignsInWithOAuth2();
}

void TOAuth2SignIn::ProviderClick() {
    const auto address = ParseServerAddress(ToBytes(frame_.ServerText()));
    if (!address) {
        frame_.StatusClear();
        frame_.StatusAppendText(Texts::ProviderNeedsServer);
        frame_.ShowStatus();
        return;
    }
    const QString host = FromBytes(address->Host);
    TOAuth2ProviderDialog dialog(
        &frame_.Window(), host,
        OAuth2ProviderFor(frame_.Settings(), host).value_or(TOAuth2Provider{}), frame_.GermanUI());
    if (dialog.exec() == QDialog::Accepted)
        SaveOAuth2Provider(frame_.Settings(), host, dialog.Provider());
}

void TOAuth2SignIn::Cancel() {
    flow_->Cancel();
}

bool TOAuth2SignIn::SignIn() {
    TMbxPOP& pop3 = frame_.Session();
    pop3.Auth = TAuthMethod::Password;
    if (!SignsInWithOAuth2())
        return true;
    const QString user = frame_.UserText();
    const auto provider = OAuth2ProviderFor(frame_.Settings(), FromBytes(pop3.Host));
    const TText* missing = !provider                      ? &Texts::NoProvider
                           : provider->ClientId.isEmpty() ? &Texts::NoClientId
                                                          : nullptr;
    if (missing) {
        frame_.StatusClear();
        frame_.StatusAppendText(*missing);
        return false;
    }
    const QString issuer = OAuth2Issuer(*provider);
    const auto failed = [this](TOAuth2Flow::Result status, const QString& error) {
        if (status == TOAuth2Flow::Result::Cancelled)
            return;
        frame_.StatusClear();
        if (status == TOAuth2Flow::Result::TimedOut)
            frame_.StatusAppendText(Texts::SignInTimedOut);
        else
            frame_.StatusAppend(Tr(Texts::SignInFailed, frame_.GermanUI()).arg(error));
    };

    using TStatus = TOAuth2Renewal::TStatus;
    const TOAuth2Renewal renewal =
        RenewAccessToken(Tokens(), *flow_, *provider, user, Clock(), [this] {
            if (frame_.Aborted())
                return false;
            frame_.StatusAppendText(Texts::RefreshingToken);
            return true;
        });
    if (renewal.Status == TStatus::Cancelled || frame_.Aborted())
        return false;
    if (renewal.Status == TStatus::Failed) {
        failed(TOAuth2Flow::Result::Failed, renewal.Error);
        return false;
    }
    if (renewal.Status == TStatus::Refused) {
        // Revoked or run out: only a new sign-in helps.
        tokens_->Forget(issuer, user);
        frame_.StatusAppendText(Texts::SignInAgain);
    }
    if (!renewal.NotStored.isEmpty())
        passwords_.QueueNotice(
            Tr(Texts::SignInNotStored, frame_.GermanUI()).arg(renewal.NotStored));
    QString access = renewal.Access;
    if (renewal.Status != TStatus::Done) {
        frame_.StatusAppendText(Texts::WaitingForBrowser);
        flow_->OpenBrowser = OpenBrowser;
        flow_->DonePage = Tr(Texts::SignInDonePage, frame_.GermanUI());
        const TOAuth2Flow::Outcome signIn = flow_->SignIn(*provider, user);
        if (signIn.Status != TOAuth2Flow::Result::Done) {
            failed(signIn.Status, signIn.Error);
            return false;
        }
        access = signIn.Tokens.Access;
        if (!tokens_->KeepsRefreshTokens() && !std::exchange(notKeptShown_, true))
            passwords_.QueueNotice(Tr(Texts::SignInNotKept, frame_.GermanUI()));
        const QString notStored = tokens_->Keep(issuer, user, signIn.Tokens);
        if (!notStored.isEmpty())
            passwords_.QueueNotice(Tr(Texts::SignInNotStored, frame_.GermanUI()).arg(notStored));
    }
    pop3.Auth = TAuthMethod::XOAuth2;
    pop3.AccessToken = access.toStdString();
    return true;
}

bool TOAuth2SignIn::LoginRefused() {
    const TMbxPOP& pop3 = frame_.Session();
    // A token that did not go out (no TLS, no such mechanism) was not what the server refused.
    if (pop3.Auth == TAuthMethod::Password || !pop3.AccessToken.empty() || !tokens_)
        return pop3.Auth != TAuthMethod::Password;
    // The provider may have revoked it before its time: the next connect must not send it
    // again.
    const auto provider = OAuth2ProviderFor(frame_.Settings(), FromBytes(pop3.Host));
    const bool refreshable =
        provider && tokens_->DropAccess(OAuth2Issuer(*provider), FromBytes(pop3.UserId));
    frame_.StatusAppendText(refreshable ? Texts::TokenDroppedRefresh : Texts::TokenDroppedSignIn);
    return true;
}

void TOAuth2SignIn::LoggedIn() {
    TAccountHistory& accounts = frame_.History();
    const int newest = static_cast<int>(accounts.ServerHistory().size()) - 1;
    accounts.SetSignIn(newest, ChosenSignIn(*Choice));
    // The provider's tokens take the password's place; none is kept for this account.
    if (SignsInWithOAuth2())
        accounts.SetPassword(newest, {});
}

TOAuth2TokenStore& TOAuth2SignIn::Tokens() {
    if (!tokens_)
        tokens_ = new TOAuth2TokenStore(passwords_.Keyring != nullptr, this);
    return *tokens_;
}

TOAuth2Renewal TOAuth2SignIn::AccessTokenWithoutBrowser(const QString& host, const QString& user) {
    const auto provider = OAuth2ProviderFor(frame_.Settings(), host);
    // Without a provider there can be no refresh token: the login row tells what is missing.
    if (!provider || provider->ClientId.isEmpty())
        return {TOAuth2Renewal::TStatus::NoRefreshToken, {}, {}, false, {}};
    TOAuth2Renewal renewal = RenewAccessToken(Tokens(), *flow_, *provider, user, Clock());
    if (renewal.Status == TOAuth2Renewal::TStatus::Refused)
        tokens_->Forget(OAuth2Issuer(*provider), user);
    if (!renewal.NotStored.isEmpty())
        passwords_.QueueNotice(
            Tr(Texts::SignInNotStored, frame_.GermanUI()).arg(renewal.NotStored));
    return renewal;
}
