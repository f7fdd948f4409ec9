// The account history, window geometry and column widths in the settings store.
#include "ByteText.h"
#include "Main.h"
#include "MultiLst.h"

#include <QLineEdit>

namespace {

constexpr int DefaultSectionWidths[5] = {25, 75, 80, 95, 75};

} // namespace

void TForm1::GetFromIniFile() {
    Accounts.Load(Settings);
    const auto& passwords = Accounts.PasswordHistory();
    Password->setText(passwords.empty() ? QString() : FromBytes(passwords.back()));

    SetHeaderTextsAsSent(Settings.ReadInteger(QStringLiteral("HeaderTextsAsSent"), 0) != 0);
    LoadCopyOptions();
    SpamSetting = ReadSpamSetting(Settings);

    const int width = Settings.ReadInteger(QStringLiteral("Width"), 458);
    move(Settings.ReadInteger(QStringLiteral("XPos"), 283),
         Settings.ReadInteger(QStringLiteral("YPos"), 185));
    resize(width, Settings.ReadInteger(QStringLiteral("Height"), 452));
    // Shown maximised again; the stored place and size are those to restore it to. Either way
    // the first showing keeps the window on its screen (KeepOnScreen).
    if (Settings.ReadInteger(QStringLiteral("Maximized"), 0) != 0)
        setWindowState(windowState() | Qt::WindowMaximized);
    mail_list->SetListWidth(width - 9);
    mail_list->resize(width - 9, mail_list->height());
    for (int column = 0; column < 5; ++column)
        mail_list->SetSectionWidth(column, Settings.ReadInteger(NumberedKey("Sec", column + 1),
                                                                DefaultSectionWidths[column]));
}

void TForm1::WriteGeometry() {
    const bool maximized = isMaximized() || isFullScreen();
    Settings.WriteInteger(QStringLiteral("Maximized"), maximized ? 1 : 0);
    // While maximised, the place and size it goes back to.
    const QRect normal = maximized ? normalGeometry() : QRect(pos(), size());
    if (normal.isValid()) {
        Settings.WriteInteger(QStringLiteral("XPos"), normal.x());
        Settings.WriteInteger(QStringLiteral("YPos"), normal.y());
        Settings.WriteInteger(QStringLiteral("Width"), normal.width());
        Settings.WriteInteger(QStringLiteral("Height"), normal.height());
    }
    for (int column = 0; column < 5; ++column)
        Settings.WriteInteger(NumberedKey("Sec", column + 1), mail_list->SectionWidth(column));
    Settings.Flush();
}

void TForm1::WriteToIniFile() {
    SavePasswordOptions();
    Settings.WriteInteger(QStringLiteral("Maximized"), isMaximized() || isFullScreen() ? 1 : 0);
    Accounts.Save(Settings, [this](int account) { return PasswordInKeyring(account); });
    Settings.WriteInteger(QStringLiteral("HeaderTextsAsSent"), HeaderTextsAsSent() ? 1 : 0);
    SaveCopyOptions();
    Settings.Flush();
}
