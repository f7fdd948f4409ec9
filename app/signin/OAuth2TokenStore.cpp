#include "OAuth2TokenStore.h"

#include "KeyringStore.h"

#include <QEventLoop>
#include <QTimer>

namespace {

// The keyring normally answers at once; a hanging one must not keep the sign-in waiting.
constexpr int KeyringPatienceMs = 10000;

QString TokenKey(const QString& issuer, const QString& user) {
    return issuer + u'\n' + user;
}

// Runs the event loop until done() says so or the keyring's patience is used up.
template <typename Signal> void WaitFor(TKeyringStore& keyring, Signal signal, const bool& done) {
    if (done)
        return;
    QEventLoop loop;
    QObject::connect(&keyring, signal, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer::singleShot(KeyringPatienceMs, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

TOAuth2TokenStore::TOAuth2TokenStore(bool useKeyring, QObject* parent)
    : QObject(parent), keyring_(useKeyring ? new TKeyringStore(this) : nullptr) {}

QString TOAuth2TokenStore::KeyringServer(const QString& issuer) {
    return QStringLiteral("oauth2 ") + issuer;
}

TOAuth2Tokens TOAuth2TokenStore::Find(const QString& issuer, const QString& user) {
    const auto known = tokens_.constFind(TokenKey(issuer, user));
    if (known != tokens_.constEnd() || !keyring_)
        return known != tokens_.constEnd() ? *known : TOAuth2Tokens{};
    bool done = false;
    TOAuth2Tokens found;
    const auto connection =
        connect(keyring_, &TKeyringStore::ReadFinished, this,
                [&](const QString&, const QString&, TKeyringStore::Result result,
                    const QString& token, const QString&) {
                    done = true;
                    if (result == TKeyringStore::Result::Done)
                        found.Refresh = token;
                });
    keyring_->Read(KeyringServer(issuer), user);
    WaitFor(*keyring_, &TKeyringStore::ReadFinished, done);
    disconnect(connection);
    if (!found.Refresh.isEmpty())
        tokens_.insert(TokenKey(issuer, user), found);
    return found;
}

QString TOAuth2TokenStore::Keep(const QString& issuer, const QString& user,
                                const TOAuth2Tokens& tokens) {
    const TOAuth2Tokens before = tokens_.value(TokenKey(issuer, user));
    tokens_.insert(TokenKey(issuer, user), tokens);
    if (!keyring_ || tokens.Refresh.isEmpty() || tokens.Refresh == before.Refresh)
        return {};
    bool done = false;
    QString error;
    const auto connection = connect(
        keyring_, &TKeyringStore::WriteFinished, this,
        [&](const QString&, const QString&, TKeyringStore::Result result, const QString& why) {
            done = true;
            if (result != TKeyringStore::Result::Done)
                error = why.isEmpty() ? QStringLiteral("?") : why;
        });
    keyring_->Write(KeyringServer(issuer), user, tokens.Refresh);
    WaitFor(*keyring_, &TKeyringStore::WriteFinished, done);
    disconnect(connection);
    return done ? error : QStringLiteral("no answer from the keyring");
}

bool TOAuth2TokenStore::DropAccess(const QString& issuer, const QString& user) {
    const auto known = tokens_.find(TokenKey(issuer, user));
    if (known == tokens_.end())
        return false;
    if (known->Refresh.isEmpty()) {
        tokens_.erase(known);
        return false;
    }
    known->Access.clear();
    known->Expires = {};
    return true;
}

void TOAuth2TokenStore::Forget(const QString& issuer, const QString& user) {
    tokens_.remove(TokenKey(issuer, user));
    if (!keyring_)
        return;
    // Waited for, so that it cannot overtake the write of a new sign-in's token.
    bool done = false;
    const auto connection =
        connect(keyring_, &TKeyringStore::RemoveFinished, this, [&done] { done = true; });
    keyring_->Remove(KeyringServer(issuer), user);
    WaitFor(*keyring_, &TKeyringStore::RemoveFinished, done);
    disconnect(connection);
}
