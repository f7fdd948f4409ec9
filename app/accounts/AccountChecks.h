#pragma once

#include "Security.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class QProcess;

// One remembered account and what its last check found.
struct TAccountRow {
    QString Server; // the server field as the history holds it
    QString User;
    std::string Host;
    int Port = 0;
    TSecurity Security = TSecurity::Auto;
    bool OAuth2 = false;  // signs in with an access token from AccessToken
    std::string Password; // the remembered one; empty: none

    enum class TState { Idle, Waiting, Checking, Pruning, Done, Failed };
    TState State = TState::Idle;
    QString Failure; // in the window's words, as mbxpop tells it
    int Mails = -1;  // -1: not checked yet
    qint64 Octets = 0;
    double QuotaGb = 0; // as the space view keeps it; 0: none
    int New = -1;       // listed mails whose unique id the seen file lacks; -1: unknown
    int Marked = -1;
    int Spam = -1;       // mails the scorer calls spam; -1: not scored
    QString SpamProblem; // what the scorer said went wrong, where it did
    qint64 MarkedOctets = 0;
    int Pruned = 0; // by the last Prune
    qint64 PrunedOctets = 0;
    QDateTime Checked;
};

// Checks and prunes accounts in the background, each in sessions of its own run by mbxpop,
// which lists with the window's remembered headers and marks by the window's rules as the
// window does, and ends each session with QUIT (a check deletes nothing). One session runs at
// a time, so a provider sees one connection of this user at once. Where the window's spam
// scorer is set, a check also scores the mails (remembered scores by unique id spare most).
class TAccountChecks : public QObject {
    Q_OBJECT
public:
    TAccountChecks(QString tool, QObject* parent);

    std::vector<TAccountRow>& Rows() { return rows_; }
    // The accounts anew; those known keep what their checks found.
    void SetAccounts(std::vector<TAccountRow> accounts);
    // A check of each row: list (count, size, new), the scorer's spam and the rules' marks.
    void Check(const std::vector<int>& rows);
    // Deletes what the rules mark in each row, a copy of each kept below copiesRoot (one
    // folder per account; empty: no copies), then checks the row again.
    void Prune(const std::vector<int>& rows, const QString& copiesRoot);
    bool Busy() const { return process_ != nullptr || !jobs_.empty() || starting_; }
    // The language mbxpop speaks.
    bool GermanUI = false;
    // Whether a check scores the mails: the window's spam scorer is set.
    bool Scoring = false;
    // An OAuth2 row's access token, never through the browser; empty, with why in the
    // window's words, when there is none.
    std::function<QString(const TAccountRow& row, QString& why)> AccessToken;
    // The mbxpop it runs; empty when none was found.
    QString Tool;

signals:
    void RowChanged(int row);
    // Every check and prune asked for has ended.
    void AllDone();

private:
    enum class TKind { List, Spam, Marks, Prune };
    struct TJob {
        int Row;
        TKind Kind;
        QString CopiesRoot;
    };
    void Queue(int row, TKind kind, const QString& copiesRoot = {});
    void Next();
    // Starts the job's mbxpop; a row that cannot sign in fails instead, told why.
    void Start(const TJob& job);
    void Finished(int exitCode, bool crashed);
    // Whether the row can be checked at all; else it fails at once, told why.
    bool Usable(int row);

    std::vector<TAccountRow> rows_;
    std::deque<TJob> jobs_;
    QProcess* process_ = nullptr;
    TJob running_{};
    bool starting_ = false; // waiting for an access token
};
