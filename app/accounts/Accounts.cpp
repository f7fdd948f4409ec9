#include "Accounts.h"

#include "AccountChecks.h"
#include "AccountData.h"
#include "AccountHistory.h"
#include "AccountsTexts.h"
#include "AccountsWindow.h"
#include "DesktopNotice.h"
#include "Frame.h"
#include "OAuth2SignIn.h"
#include "QuotaMeter.h"
#include "ServerAddress.h"
#include "SettingsStore.h"
#include "SpamSetting.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLocale>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>

namespace {

// mbxpop beside the program (installed), in the build tree's tools, else on the PATH.
QString FindTool() {
    const QString here = QCoreApplication::applicationDirPath();
    QString tool = QStandardPaths::findExecutable(
        QStringLiteral("mbxpop"), {here, here + QStringLiteral("/../tools/mbxpop")});
    return tool.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("mbxpop")) : tool;
}

QString Size(qint64 octets, bool germanUI) {
    return QLocale(germanUI ? QLocale::German : QLocale::English)
        .formattedDataSize(octets, 1, QLocale::DataSizeSIFormat);
}

} // namespace

TAccounts::TAccounts(TFrame& frame, std::function<bool()> keepCopies, TOAuth2SignIn& signIn)
    : MenuEntry(new QAction(&frame.Window())), Checks(new TAccountChecks(FindTool(), this)),
      Every(new QTimer(this)), frame_(frame), keepCopies_(std::move(keepCopies)) {
    Window = std::make_unique<TAccountsWindow>(*Checks, nullptr);
    MenuEntry->setObjectName(QStringLiteral("AccountsEntry"));
    frame.ServerMenu().insertAction(frame.ServerEnd(), MenuEntry);
    connect(MenuEntry, &QAction::triggered, this, &TAccounts::Show);
    connect(Window->CheckButton, &QPushButton::clicked, this, &TAccounts::CheckClick);
    connect(Window->PruneButton, &QPushButton::clicked, this, &TAccounts::PruneClick);
    connect(Window->OpenButton, &QPushButton::clicked, this, &TAccounts::OpenClick);
    connect(Window->CheckEvery, &QCheckBox::toggled, this, &TAccounts::EveryChanged);
    connect(Window->Minutes, &QSpinBox::valueChanged, this, &TAccounts::EveryChanged);
    connect(Every, &QTimer::timeout, this, &TAccounts::TimedCheck);
    connect(Checks, &TAccountChecks::RowChanged, Window.get(), &TAccountsWindow::ShowRow);
    connect(Checks, &TAccountChecks::AllDone, this, &TAccounts::ChecksDone);
    Checks->AccessToken = [this, &signIn](const TAccountRow& row, QString& why) {
        const TOAuth2Renewal token =
            signIn.AccessTokenWithoutBrowser(QString::fromStdString(row.Host), row.User);
        const bool german = frame_.GermanUI();
        using TStatus = TOAuth2Renewal::TStatus;
        if (token.Status == TStatus::Refused)
            why = Tr(AccountsTexts::SignInRefused, german);
        else if (token.Status == TStatus::Failed)
            why = Tr(AccountsTexts::NoAccessToken, german).arg(token.Error);
        else if (token.Status != TStatus::Done)
            why = Tr(AccountsTexts::SignInOnce, german);
        return token.Access;
    };
    Confirm = [this](const QString& text) {
        return QMessageBox::question(Window.get(),
                                     Tr(AccountsTexts::ConfirmTitle, frame_.GermanUI()),
                                     text) == QMessageBox::Yes;
    };
}

TAccounts::~TAccounts() = default;

void TAccounts::LanguageChanged(bool germanUI) {
    MenuEntry->setText(Tr(AccountsTexts::MenuEntry, germanUI));
    Checks->GermanUI = germanUI;
    Window->LanguageChanged(germanUI);
}

void TAccounts::ReadSettings() {
    const TSettingsStore& settings = frame_.Settings();
    Window->Minutes->setValue(settings.ReadInteger(QStringLiteral("AccountsCheckMinutes"), 30));
    Window->PruneAfterCheck->setChecked(
        settings.ReadInteger(QStringLiteral("AccountsPruneAfterCheck"), 0) != 0);
    Window->CheckEvery->setChecked(settings.ReadInteger(QStringLiteral("AccountsCheckEvery"), 0) !=
                                   0);
}

void TAccounts::WriteSettings() {
    TSettingsStore& settings = frame_.Settings();
    settings.WriteInteger(QStringLiteral("AccountsCheckMinutes"), Window->Minutes->value());
    settings.WriteInteger(QStringLiteral("AccountsPruneAfterCheck"),
                          Window->PruneAfterCheck->isChecked() ? 1 : 0);
    settings.WriteInteger(QStringLiteral("AccountsCheckEvery"),
                          Window->CheckEvery->isChecked() ? 1 : 0);
}

void TAccounts::LoadAccounts() {
    const TAccountHistory& history = frame_.History();
    const QStringList servers = history.ServerHistory();
    const QStringList users = history.UserHistory();
    std::vector<TAccountRow> rows;
    for (int i = 0; i < servers.size() && i < users.size(); ++i) {
        const auto address = ParseServerAddress(servers[i].toStdString());
        if (!address)
            continue;
        TAccountRow row;
        row.Server = servers[i];
        row.User = users[i];
        row.Host = address->Host;
        row.Security = history.Security(i);
        row.Port = address->Port.empty() ? DefaultPort(row.Security) : std::stoi(address->Port);
        row.OAuth2 = history.SignIn(i) == TSignIn::OAuth2;
        row.Password = history.Password(i);
        row.QuotaGb = frame_.Settings()
                          .ReadString(QuotaSettingName(
                              AccountFolderName(row.User.toStdString(), row.Host, row.Port)))
                          .toDouble();
        rows.push_back(std::move(row));
    }
    Checks->SetAccounts(std::move(rows));
    Window->ShowRows();
}

void TAccounts::Show() {
    if (!Checks->Busy())
        LoadAccounts();
    Window->show();
    Window->raise();
    Window->activateWindow();
}

void TAccounts::CheckClick() {
    if (Checks->Busy())
        return;
    CheckRows(Window->Chosen(true));
}

void TAccounts::CheckRows(const std::vector<int>& rows) {
    // mbxpop reads the scorer and the rules from the settings file, as they are now.
    frame_.Settings().Flush();
    Checks->Scoring = ReadSpamSetting(frame_.Settings()).On();
    Checks->Check(rows);
}

QString TAccounts::CopiesRoot() const {
    return keepCopies_() ? KeptCopiesRoot() : QString();
}

void TAccounts::PruneClick() {
    if (Checks->Busy())
        return;
    const bool german = frame_.GermanUI();
    std::vector<int> rows;
    QString text = Tr(AccountsTexts::ConfirmHead, german) + u'\n';
    for (const int row : Window->Chosen(false)) {
        const TAccountRow& account = Checks->Rows()[static_cast<size_t>(row)];
        if (account.State != TAccountRow::TState::Done || account.Marked <= 0)
            continue;
        rows.push_back(row);
        text += u'\n' + Tr(AccountsTexts::ConfirmLine, german)
                            .arg(account.User + u'@' + account.Server)
                            .arg(account.Marked)
                            .arg(Size(account.MarkedOctets, german));
    }
    if (rows.empty()) {
        QMessageBox::information(Window.get(), Tr(AccountsTexts::ConfirmTitle, german),
                                 Tr(AccountsTexts::NothingToPrune, german));
        return;
    }
    if (Confirm(text))
        Checks->Prune(rows, CopiesRoot());
}

void TAccounts::OpenClick() {
    const auto chosen = Window->Chosen(false);
    if (chosen.size() != 1)
        return;
    const TAccountRow& account = Checks->Rows()[static_cast<size_t>(chosen[0])];
    const TAccountHistory& history = frame_.History();
    const QStringList servers = history.ServerHistory();
    const QStringList users = history.UserHistory();
    for (int i = 0; i < servers.size() && i < users.size(); ++i)
        if (servers[i] == account.Server && users[i] == account.User) {
            frame_.OpenAccount(i);
            return;
        }
}

void TAccounts::EveryChanged() {
    if (Window->CheckEvery->isChecked())
        Every->start(Window->Minutes->value() * 60 * 1000);
    else
        Every->stop();
}

void TAccounts::TimedCheck() {
    if (Checks->Busy())
        return;
    LoadAccounts();
    timed_ = true;
    pruning_ = false;
    std::vector<int> all;
    for (int row = 0; row < static_cast<int>(Checks->Rows().size()); ++row)
        all.push_back(row);
    CheckRows(all);
}

void TAccounts::ChecksDone() {
    if (!timed_)
        return;
    const auto& rows = Checks->Rows();
    if (!pruning_ && Window->PruneAfterCheck->isChecked()) {
        std::vector<int> marked;
        for (int row = 0; row < static_cast<int>(rows.size()); ++row)
            if (rows[static_cast<size_t>(row)].State == TAccountRow::TState::Done &&
                rows[static_cast<size_t>(row)].Marked > 0)
                marked.push_back(row);
        if (!marked.empty()) {
            pruning_ = true;
            Checks->Prune(marked, CopiesRoot());
            return;
        }
    }
    timed_ = false;
    int fresh = 0, accounts = 0, marked = 0, pruned = 0, failed = 0;
    qint64 markedOctets = 0, prunedOctets = 0;
    for (const TAccountRow& row : rows) {
        if (row.New > 0) {
            fresh += row.New;
            ++accounts;
        }
        if (row.State == TAccountRow::TState::Failed)
            ++failed;
        marked += std::max(row.Marked, 0);
        markedOctets += row.MarkedOctets;
        if (pruning_) {
            pruned += row.Pruned;
            prunedOctets += row.PrunedOctets;
        }
    }
    const bool german = frame_.GermanUI();
    QString body = Tr(AccountsTexts::NoticeNew, german).arg(fresh).arg(accounts);
    if (pruning_)
        body += Tr(AccountsTexts::NoticePruned, german).arg(pruned).arg(Size(prunedOctets, german));
    else
        body += Tr(AccountsTexts::NoticeMarked, german).arg(marked).arg(Size(markedOctets, german));
    if (failed > 0)
        body += Tr(AccountsTexts::NoticeFailed, german).arg(failed);
    pruning_ = false;
    ShowDesktopNotice(Tr(AccountsTexts::NoticeTitle, german), body);
}
