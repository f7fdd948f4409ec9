#pragma once

#include <QString>

#include <string>

// The program's text is single-byte Latin-1; each byte is one character and back again, so
// what is shown can be written out byte for byte.
inline QString FromBytes(const std::string& bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string ToBytes(const QString& text) {
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<size_t>(latin1.size()));
}
