// The account history, window geometry and column widths in the settings store.
#include "ByteText.h"
#include "Main.h"
#include "MultiLst.h"
#include "PasswordObfuscation.h"

#include <QComboBox>
#include <QLineEdit>

namespace {

constexpr int MaxAccounts = 10;
constexpr int DefaultSectionWidths[5] = {25, 75, 80, 95, 75};

QString Numbered(const char* name, int number) {
    return QLatin1String(name) + QString::number(number);
}

} // namespace

void TForm1::GetFromIniFile() {
    for (int k = 1; k <= MaxAccounts; ++k) {
        const QString user = Settings.ReadString(Numbered("User", k));
        if (!user.isEmpty())
            Username->addItem(user);
    }
    for (int k = 1; k <= MaxAccounts; ++k) {
        const QString server = Settings.ReadString(Numbered("Server", k));
        if (server.isEmpty())
            continue;
        servername->addItem(server);
        // An entry from before the mode was stored was used in plain text; an unreadable
        // mode takes the one that never sends plain text without asking.
        const QString mode = Settings.ReadString(Numbered("Security", k));
        SetHistorySecurity(servername->count() - 1,
                           mode.isEmpty()
                               ? TSecurity::None
                               : SecurityFromName(mode.toStdString()).value_or(TSecurity::Auto));
    }
    // One entry per account, empty where the file holds none (the password is in the keyring
    // or was not to be remembered), so that the passwords stay in step with the accounts.
    for (int k = 1; k <= MaxAccounts; ++k) {
        if (!Settings.ReadString(Numbered("User", k)).isEmpty())
            PasswordHistory.push_back(
                KlartextPW(Settings.ReadBytes(Numbered("PWD", k)), PasswordStartValue));
    }
    Password->setText(PasswordHistory.empty() ? QString() : FromBytes(PasswordHistory.back()));

    HeaderTextsAsSent = Settings.ReadInteger(QStringLiteral("HeaderTextsAsSent"), 0) != 0;
    Datei_H->setChecked(HeaderTextsAsSent);

    const int width = Settings.ReadInteger(QStringLiteral("Width"), 458);
    move(Settings.ReadInteger(QStringLiteral("XPos"), 283),
         Settings.ReadInteger(QStringLiteral("YPos"), 185));
    resize(width, Settings.ReadInteger(QStringLiteral("Height"), 452));
    mail_list->SetListWidth(width - 9);
    mail_list->resize(width - 9, mail_list->height());
    for (int column = 0; column < 5; ++column)
        mail_list->SetSectionWidth(column, Settings.ReadInteger(Numbered("Sec", column + 1),
                                                                DefaultSectionWidths[column]));
}

void TForm1::WriteToIniFile() {
    SavePasswordOptions();
    const int count = Username->count();
    for (int k = 1; k <= count; ++k) {
        const auto entry = static_cast<std::size_t>(k - 1);
        Settings.WriteString(Numbered("User", k), Username->itemText(k - 1));
        Settings.WriteString(Numbered("Server", k), servername->itemText(k - 1));
        Settings.WriteString(Numbered("Security", k),
                             QString::fromStdString(SecurityName(HistorySecurity(k - 1))));
        const std::string password =
            entry < PasswordHistory.size() ? PasswordHistory[entry] : std::string();
        if (password.empty() || PasswordInKeyring(k - 1))
            Settings.DeleteValue(Numbered("PWD", k));
        else
            Settings.WriteBytes(Numbered("PWD", k), VerschleierPW(password, PasswordStartValue));
    }
    if (count < MaxAccounts) {
        for (int n = count + 1; n <= MaxAccounts + 1; ++n) {
            Settings.DeleteValue(Numbered("Server", n));
            Settings.DeleteValue(Numbered("User", n));
            Settings.DeleteValue(Numbered("PWD", n));
            Settings.DeleteValue(Numbered("Security", n));
        }
    }
    Settings.WriteInteger(QStringLiteral("HeaderTextsAsSent"), HeaderTextsAsSent ? 1 : 0);
    Settings.Flush();
}
