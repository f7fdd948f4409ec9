#pragma once

#include <QFile>
#include <QString>

#include <sys/stat.h>

// The permission bits of a file (e.g. 0600), or -1 when it does not exist.
inline int FileMode(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 0777);
}
