#include "AccountData.h"

#include "ByteText.h"

#include <QDir>
#include <QStandardPaths>

QString AccountFolderName(const std::string& user, const std::string& host, int port) {
    QString name = FromBytes(user) + u'@' + FromBytes(host) + u':' + QString::number(port);
    for (QChar& c : name)
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'_';
    // "." and ".." are no folder of their own.
    if (name.startsWith(u'.'))
        name.replace(0, 1, u'_');
    return name;
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

QStringList KeptCopyFolders(const QString& root) {
    QStringList folders;
    const QDir dir(root);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        folders << dir.filePath(name);
    return folders;
}
