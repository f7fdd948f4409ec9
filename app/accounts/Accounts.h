#pragma once

#include "Component.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QAction;
class QTimer;
class TAccountChecks;
class TAccountsWindow;
class TFrame;
class TOAuth2SignIn;

// All remembered accounts at a glance (Server menu): checked in the background, each in
// sessions of its own, pruned by the rules after one confirmation, opened in the login row;
// and checked every few minutes while the program runs, with a desktop notification.
class TAccounts : public QObject, public TComponent {
    Q_OBJECT
public:
    // keepCopies: whether the window keeps copies of deleted mails now; signIn gives OAuth2
    // accounts their access tokens.
    TAccounts(TFrame& frame, std::function<bool()> keepCopies, TOAuth2SignIn& signIn);
    ~TAccounts() override;

    void LanguageChanged(bool germanUI) override;
    void ReadSettings() override;
    void WriteSettings() override;

    // Shows the window with the accounts as the login row remembers them.
    void Show();
    // What Every does: checks every account (and prunes where that option is on), then tells
    // the desktop what it found.
    void TimedCheck();

    QAction* MenuEntry;
    // A window of its own beside the main window, which stays usable meanwhile.
    std::unique_ptr<TAccountsWindow> Window;
    TAccountChecks* Checks;
    // Runs out every "Check every" minutes while that option is on.
    QTimer* Every;
    // Asks the question of Prune; true: go on. A message box unless a test puts its own.
    std::function<bool(const QString& text)> Confirm;

private:
    void LoadAccounts();
    // Checks the rows with what mbxpop reads of the window's settings as they are now.
    void CheckRows(const std::vector<int>& rows);
    void CheckClick();
    void PruneClick();
    void OpenClick();
    void ChecksDone();
    void EveryChanged();
    QString CopiesRoot() const;

    TFrame& frame_;
    std::function<bool()> keepCopies_;
    // A timed check is running; pruning_: its prune after it.
    bool timed_ = false;
    bool pruning_ = false;
};
