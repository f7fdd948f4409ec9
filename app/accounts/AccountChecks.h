#pragma once

#include "Security.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QString>

#include <deque>
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
    bool OAuth2 = false;
    std::string Password; // the remembered one; empty: none

    enum class TState { Idle, Waiting, Checking, Pruning, Done, Failed };
    TState State = TState::Idle;
    QString Failure; // in the window's words, as mbxpop tells it
    int Mails = -1;  // -1: not checked yet
    qint64 Octets = 0;
    double QuotaGb = 0; // as the space view keeps it; 0: none
    int New = -1;       // mails whose unique id the previous check did not see; -1: unknown
    int Marked = -1;
    qint64 MarkedOctets = 0;
    int Pruned = 0; // by the last Prune
    qint64 PrunedOctets = 0;
    QDateTime Checked;
    QSet<QString> Ids;
    bool IdsKnown = false;
};

// Checks and prunes accounts in the background, each in sessions of its own run by mbxpop,
// which lists with the window's remembered headers and marks by the window's rules as the
// window does, and ends each session with QUIT (a check deletes nothing). One session runs at
// a time, so a provider sees one connection of this user at once.
class TAccountChecks : public QObject {
    Q_OBJECT
public:
    TAccountChecks(QString tool, QObject* parent);

    std::vector<TAccountRow>& Rows() { return rows_; }
    // The accounts anew; those known keep what their checks found.
    void SetAccounts(std::vector<TAccountRow> accounts);
    // A check of each row: list (count, size, new) and the rules' marks.
    void Check(const std::vector<int>& rows);
    // Deletes what the rules mark in each row, a copy of each kept below copiesRoot (one
    // folder per account; empty: no copies), then checks the row again.
    void Prune(const std::vector<int>& rows, const QString& copiesRoot);
    bool Busy() const { return process_ != nullptr || !jobs_.empty(); }
    // The language mbxpop speaks.
    bool GermanUI = false;
    // The mbxpop it runs; empty when none was found.
    QString Tool;

signals:
    void RowChanged(int row);
    // Every check and prune asked for has ended.
    void AllDone();

private:
    enum class TKind { List, Marks, Prune };
    struct TJob {
        int Row;
        TKind Kind;
        QString CopiesRoot;
    };
    void Queue(int row, TKind kind, const QString& copiesRoot = {});
    void Next();
    void Finished(int exitCode, bool crashed);
    // Whether the row can be checked at all; else it fails at once, told why.
    bool Usable(int row);

    std::vector<TAccountRow> rows_;
    std::deque<TJob> jobs_;
    QProcess* process_ = nullptr;
    TJob running_{};
};
