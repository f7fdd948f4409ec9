#include "SettingsStore.h"

#include "MbxMIME.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

TSettingsStore::TSettingsStore()
    : settings_("Fenn-Labs", "InboxPruner"), loadFailed_(settings_.status() != QSettings::NoError) {
}

TSettingsStore::~TSettingsStore() {
    Flush();
}

// A damaged file is not used at all, so a half-read history never mixes with defaults.
QVariant TSettingsStore::Value(const QString& name) const {
    return loadFailed_ ? QVariant() : settings_.value(name);
}

QString TSettingsStore::ReadString(const QString& name) const {
    return Value(name).toString();
}

int TSettingsStore::ReadInteger(const QString& name, int defaultValue) const {
    const QVariant value = Value(name);
    if (!value.isValid())
        return defaultValue;
    int32_t number = 0;
    if (!ParseInt32(value.toString().toStdString(), number))
        return defaultValue;
    return number;
}

void TSettingsStore::WriteString(const QString& name, const QString& value) {
    MakeFilePrivate();
    settings_.setValue(name, value);
}

void TSettingsStore::WriteInteger(const QString& name, int value) {
    WriteString(name, QString::number(value));
}

void TSettingsStore::DeleteValue(const QString& name) {
    settings_.remove(name);
}

std::string TSettingsStore::ReadBytes(const QString& name) const {
    const QVariant value = Value(name);
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray().toStdString();
    return value.toString().toLatin1().toStdString();
}

void TSettingsStore::WriteBytes(const QString& name, const std::string& bytes) {
    MakeFilePrivate();
    if (bytes.find('\0') != std::string::npos)
        settings_.setValue(name, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    else
        settings_.setValue(name,
                           QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

void TSettingsStore::Flush() {
    settings_.sync();
    const QByteArray path = QFile::encodeName(settings_.fileName());
    struct stat info {};
    if (::stat(path.constData(), &info) == 0 && (info.st_mode & 0777) != 0600)
        ::chmod(path.constData(), 0600);
}

QString TSettingsStore::FileName() const {
    return settings_.fileName();
}

// Creates the file owner-only before the first write; later saves keep its permissions.
void TSettingsStore::MakeFilePrivate() {
    const QString path = settings_.fileName();
    if (QFile::exists(path))
        return;
    QDir().mkpath(QFileInfo(path).absolutePath());
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
}

QString NumberedKey(const char* name, int number) {
    return QLatin1String(name) + QString::number(number);
}
