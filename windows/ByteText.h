#pragma once

#include <QString>

#include <string>

// Two kinds of text cross into Qt here.
//
// Mail texts (the message library's Text, fields and attachment names) are UTF-8, and this is
// the only place they become Qt strings and back (the saved mail text is UTF-8 too).
inline QString FromMailText(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string ToMailText(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

// Server names, user names, passwords and the settings keep their single-byte Latin-1 form:
// each byte is one character and back again, as stored settings rely on.
inline QString FromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string ToBytes(const QString& text) {
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<size_t>(latin1.size()));
}
