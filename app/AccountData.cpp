#include "AccountData.h"

#include "AccountFile.h"
#include "ByteText.h"

#include <QDir>
#include <QStandardPaths>

QString AccountFolderName(const std::string& user, const std::string& host, int port) {
    return FromBytes(AccountFileName(user, host, port));
}

QString KeptCopiesRoot() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Deleted");
}

QString KeptCopiesFolder(const QString& account) {
    return KeptCopiesRoot() + u'/' + account;
}

QString SeenMailsFile(const QString& account) {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Seen/") + account;
}

QString HeaderMemoryFile(const QString& account) {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Headers/") + account;
}

QString ScoreMemoryFile(const QString& account) {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Scores/") + account;
}

QString UnsubscribedListsFile(const QString& account) {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Unsubscribed/") + account;
}

QStringList KeptCopyFolders(const QString& root) {
    QStringList folders;
    const QDir dir(root);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        folders << dir.filePath(name);
    return folders;
}
