#pragma once

#include "Component.h"
#include "KeyringStore.h"
#include "LanguageTexts.h"

#include <QObject>
#include <QSet>
#include <QStringList>

class QCheckBox;
class TFrame;

// Remembered passwords: in the desktop's keyring when one runs at start, else obfuscated in
// the settings file. The login row's "remember password" option, and the move of the file's
// passwords into the keyring at each account's next successful login.
class TRememberedPasswords : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TRememberedPasswords(TFrame& frame);

    void LanguageChanged(bool germanUI) override;
    void ReadSettings() override;
    void WriteSettings() override;
    bool KeepsPasswordOf(int account) const override;
    void LoggedIn() override;
    void CommandsEnded() override;

    // A notice about the keyring for the status, shown once no command runs.
    void QueueNotice(const QString& notice);

    // Remember the password of the next login.
    QCheckBox* Remember;
    // Where remembered passwords live when a keyring service ran at start; null: the file.
    TKeyringStore* Keyring = nullptr;

private:
    void PasswordRead(const QString& server, const QString& user, TKeyringStore::Result result,
                      const QString& password, const QString& error);
    void PasswordWritten(const QString& server, const QString& user, TKeyringStore::Result result,
                         const QString& error);
    // Said once per run.
    void Notice(bool& shown, const TText& text, const QString& error);
    void ShowNotices();

    TFrame& frame_;
    // Accounts ("server\nuser") whose password is in the keyring.
    QSet<QString> keyringAccounts_;
    QStringList notices_;
    bool writeFailShown_ = false;
    bool unusableShown_ = false;
};
