#include "AccountChecks.h"

#include "AccountData.h"
#include "AccountsTexts.h"
#include "ByteText.h"
#include "LanguageTexts.h"
#include "SeenMails.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

namespace {

// prune's rows: number, size, sender, subject, rule; the copies' lines have two fields.
struct TCounted {
    int Mails = 0;
    qint64 Octets = 0;
};

TCounted CountRows(const QByteArray& out, int fields) {
    TCounted counted;
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> cells = line.split('\t');
        if (cells.size() < fields)
            continue;
        ++counted.Mails;
        counted.Octets += cells[1].toLongLong();
    }
    return counted;
}

// The last thing mbxpop told, without its name: the failure in the window's words.
QString LastWord(const QByteArray& err) {
    QList<QByteArray> lines = err.trimmed().split('\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line)
        if (line->startsWith("mbxpop: "))
            return QString::fromUtf8(line->mid(8));
    return QString::fromUtf8(lines.value(lines.size() - 1));
}

// Of the listed unique ids, those the account's seen file (written by the window's listings,
// only read here) does not hold; -1 without ids or without a usable file.
int NewAgainstSeen(const std::vector<std::string>& ids, const QString& file) {
    if (ids.empty())
        return -1;
    try {
        const TSeenMails seen = TSeenMails::Load(QFile::encodeName(file).toStdString());
        if (!seen.Listed())
            return -1;
        return static_cast<int>(std::count_if(
            ids.begin(), ids.end(), [&](const std::string& id) { return seen.Sight(id, 0).New; }));
    } catch (const std::exception&) {
        return -1;
    }
}

} // namespace

TAccountChecks::TAccountChecks(QString tool, QObject* parent)
    : QObject(parent), Tool(std::move(tool)) {}

void TAccountChecks::SetAccounts(std::vector<TAccountRow> accounts) {
    for (TAccountRow& account : accounts) {
        const auto known = std::find_if(rows_.begin(), rows_.end(), [&](const TAccountRow& row) {
            return row.Server == account.Server && row.User == account.User;
        });
        if (known == rows_.end())
            continue;
        TAccountRow fresh = std::move(account);
        account = *known;
        account.Password = fresh.Password;
        account.Security = fresh.Security;
        account.OAuth2 = fresh.OAuth2;
        account.QuotaGb = fresh.QuotaGb;
    }
    if (!Busy())
        rows_ = std::move(accounts);
}

bool TAccountChecks::Usable(int row) {
    TAccountRow& account = rows_[static_cast<size_t>(row)];
    const TText* why = Tool.isEmpty()                                ? &AccountsTexts::NoTool
                       : !account.OAuth2 && account.Password.empty() ? &AccountsTexts::NoPassword
                                                                     : nullptr;
    if (!why)
        return true;
    account.State = TAccountRow::TState::Failed;
    account.Failure = Tr(*why, GermanUI);
    emit RowChanged(row);
    return false;
}

void TAccountChecks::Check(const std::vector<int>& rows) {
    for (const int row : rows)
        if (Usable(row))
            Queue(row, TKind::List);
    if (!Busy())
        emit AllDone();
}

void TAccountChecks::Prune(const std::vector<int>& rows, const QString& copiesRoot) {
    for (const int row : rows)
        if (Usable(row))
            Queue(row, TKind::Prune, copiesRoot);
    if (!Busy())
        emit AllDone();
}

void TAccountChecks::Queue(int row, TKind kind, const QString& copiesRoot) {
    TAccountRow& account = rows_[static_cast<size_t>(row)];
    account.State = TAccountRow::TState::Waiting;
    account.Failure.clear();
    if (kind == TKind::Prune) {
        account.Pruned = 0;
        account.PrunedOctets = 0;
    }
    emit RowChanged(row);
    jobs_.push_back({row, kind, copiesRoot});
    Next();
}

void TAccountChecks::Next() {
    while (!process_ && !starting_ && !jobs_.empty()) {
        running_ = jobs_.front();
        jobs_.pop_front();
        Start(running_);
    }
}

void TAccountChecks::Start(const TJob& job) {
    TAccountRow& account = rows_[static_cast<size_t>(job.Row)];
    account.State =
        job.Kind == TKind::Prune ? TAccountRow::TState::Pruning : TAccountRow::TState::Checking;
    emit RowChanged(job.Row);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QStringList args{QStringLiteral("--port"), QString::number(account.Port),
                     QStringLiteral("--security"),
                     QString::fromStdString(SecurityName(account.Security))};
    if (account.OAuth2) {
        // The provider may take a moment; meanwhile nothing else starts.
        starting_ = true;
        QString why;
        const QString token = AccessToken ? AccessToken(account, why) : QString();
        starting_ = false;
        if (token.isEmpty()) {
            account.State = TAccountRow::TState::Failed;
            account.Failure = why.isEmpty() ? Tr(AccountsTexts::SignInOnce, GermanUI) : why;
            emit RowChanged(job.Row);
            return;
        }
        args << QStringLiteral("--auth") << QStringLiteral("xoauth2");
        env.insert(QStringLiteral("MBXPOP_TOKEN"), token);
        env.remove(QStringLiteral("MBXPOP_PASSWORD"));
    } else {
        env.insert(QStringLiteral("MBXPOP_PASSWORD"), FromBytes(account.Password));
    }
    // Without --scorer mbxpop scores with the window's scorer.
    if (job.Kind == TKind::Spam)
        args << QStringLiteral("--score");
    args << QString::fromStdString(account.Host) << account.User;
    if (job.Kind == TKind::List || job.Kind == TKind::Spam) {
        args << QStringLiteral("list");
    } else if (job.Kind == TKind::Marks) {
        args << QStringLiteral("prune") << QStringLiteral("--dry-run");
    } else {
        args << QStringLiteral("prune") << QStringLiteral("--yes");
        if (!job.CopiesRoot.isEmpty())
            args << QStringLiteral("--keep-copy")
                 << job.CopiesRoot + u'/' +
                        AccountFolderName(account.User.toStdString(), account.Host, account.Port);
    }
    // mbxpop speaks the window's language; LANGUAGE comes first of the locale's variables.
    env.insert(QStringLiteral("LANGUAGE"), GermanUI ? QStringLiteral("de") : QStringLiteral("en"));
    process_ = new QProcess(this);
    process_->setProcessEnvironment(env);
    connect(process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        Finished(code, status == QProcess::CrashExit);
    });
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            Finished(-1, true);
    });
    process_->start(Tool, args);
}

void TAccountChecks::Finished(int exitCode, bool crashed) {
    if (!process_)
        return;
    const QByteArray out = process_->readAllStandardOutput();
    const QByteArray err = process_->readAllStandardError();
    process_->deleteLater();
    process_ = nullptr;
    TAccountRow& account = rows_[static_cast<size_t>(running_.Row)];
    if (crashed || exitCode != 0) {
        account.State = TAccountRow::TState::Failed;
        account.Failure =
            crashed && err.isEmpty() ? Tr(AccountsTexts::NoTool, GermanUI) : LastWord(err);
        emit RowChanged(running_.Row);
    } else if (running_.Kind == TKind::List) {
        // list: number, size, header size, unique id
        const TCounted all = CountRows(out, 3);
        std::vector<std::string> ids;
        for (const QByteArray& line : out.split('\n')) {
            const QList<QByteArray> cells = line.split('\t');
            if (cells.size() >= 4 && !cells[3].isEmpty())
                ids.push_back(cells[3].toStdString());
        }
        account.New =
            NewAgainstSeen(ids, SeenMailsFile(AccountFolderName(account.User.toStdString(),
                                                                account.Host, account.Port)));
        account.Mails = all.Mails;
        account.Octets = all.Octets;
        account.Spam = -1;
        account.SpamProblem.clear();
        jobs_.push_front({running_.Row, Scoring ? TKind::Spam : TKind::Marks, {}});
    } else if (running_.Kind == TKind::Spam) {
        // list --score: number, size, header size, normalised score, spam or ham, score, rules
        account.Spam = 0;
        for (const QByteArray& line : out.split('\n')) {
            const QList<QByteArray> cells = line.split('\t');
            if (cells.size() >= 5 && cells[4] == "spam")
                ++account.Spam;
        }
        // Unscored mails are "-" there; the scorer's problem is told beside the count.
        if (!err.trimmed().isEmpty())
            account.SpamProblem = LastWord(err);
        jobs_.push_front({running_.Row, TKind::Marks, {}});
    } else if (running_.Kind == TKind::Marks) {
        const TCounted marked = CountRows(out, 5);
        account.Marked = marked.Mails;
        account.MarkedOctets = marked.Octets;
        account.State = TAccountRow::TState::Done;
        account.Checked = QDateTime::currentDateTime();
        emit RowChanged(running_.Row);
    } else {
        const TCounted pruned = CountRows(out, 5);
        account.Pruned = pruned.Mails;
        account.PrunedOctets = pruned.Octets;
        jobs_.push_front({running_.Row, TKind::List, {}});
    }
    Next();
    if (!Busy())
        emit AllDone();
}
