#pragma once

#include <QSettings>
#include <QString>
#include <string>

// The per-user settings file of the program ("Fenn-Labs", "InboxPruner"). It holds the
// account history with the obfuscated passwords, so the file is kept readable by its owner
// only. Reads never fail: a missing value gives the empty text or the given default.
class TSettingsStore {
public:
    TSettingsStore();
    ~TSettingsStore();
    TSettingsStore(const TSettingsStore&) = delete;
    TSettingsStore& operator=(const TSettingsStore&) = delete;

    QString ReadString(const QString& name) const;
    // Default when the value is missing or not a decimal number.
    int ReadInteger(const QString& name, int defaultValue) const;
    void WriteString(const QString& name, const QString& value);
    void WriteInteger(const QString& name, int value);
    void DeleteValue(const QString& name);

    // Byte strings (stored passwords). A form without a zero byte is written as Latin-1
    // text; one with a zero byte as a byte array, which the file format keeps intact.
    std::string ReadBytes(const QString& name) const;
    void WriteBytes(const QString& name, const std::string& bytes);

    // True when the file existed but could not be read as settings (it was damaged).
    bool LoadFailed() const { return loadFailed_; }

    // Writes pending changes to disk and keeps the file owner-only.
    void Flush();
    QString FileName() const;

private:
    QVariant Value(const QString& name) const;
    void MakeFilePrivate();

    QSettings settings_;
    bool loadFailed_ = false;
};

// The name of one of a numbered row of values: "Server3", "Sec2".
QString NumberedKey(const char* name, int number);
// The account history holds at most this many accounts, numbered from 1, oldest first.
constexpr int MaxRememberedAccounts = 10;
