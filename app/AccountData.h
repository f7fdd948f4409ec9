#pragma once

#include <QString>
#include <QStringList>

#include <string>

// Where the window keeps what it learns per account, below the data folder
// (QStandardPaths::AppDataLocation): copies of deleted mail, the unique ids seen and the spam
// scores by unique id.

// "user@host:port", with characters a file name cannot hold made '_'.
QString AccountFolderName(const std::string& user, const std::string& host, int port);
// <data folder>/Deleted: one folder per account below it.
QString KeptCopiesRoot();
QString KeptCopiesFolder(const QString& account);
// <data folder>/Seen/<account>: the unique ids listed before, with their first-seen times.
QString SeenMailsFile(const QString& account);
// <data folder>/Headers/<account>: the headers listed before, by unique id.
QString HeaderMemoryFile(const QString& account);
// <data folder>/Scores/<account>: the spam scores by unique id (TScoreMemory).
QString ScoreMemoryFile(const QString& account);
// <data folder>/Unsubscribed/<account>: the lists unsubscribed from, with the dates.
QString UnsubscribedListsFile(const QString& account);
// The account folders below root, sorted; none when root is missing.
QStringList KeptCopyFolders(const QString& root);
