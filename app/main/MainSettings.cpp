// The account history, window geometry and column widths in the settings store.
#include "ByteText.h"
#include "Main.h"
#include "MultiLst.h"

#include <QLineEdit>

namespace {

constexpr int DefaultSectionWidths[5] = {25, 75, 80, 95, 75};

} // namespace

void TForm1::GetFromIniFile() {
    Accounts.Load(FSettings);
    const auto& passwords = Accounts.PasswordHistory();
    Login.Password->setText(passwords.empty() ? QString() : FromBytes(passwords.back()));

    Menus.Datei_H->setChecked(FSettings.ReadInteger(QStringLiteral("HeaderTextsAsSent"), 0) != 0);

    const int width = FSettings.ReadInteger(QStringLiteral("Width"), 458);
    move(FSettings.ReadInteger(QStringLiteral("XPos"), 283),
         FSettings.ReadInteger(QStringLiteral("YPos"), 185));
    resize(width, FSettings.ReadInteger(QStringLiteral("Height"), 452));
    // Shown maximised again; the stored place and size are those to restore it to. Either way
    // the first showing keeps the window on its screen (KeepOnScreen).
    if (FSettings.ReadInteger(QStringLiteral("Maximized"), 0) != 0)
        setWindowState(windowState() | Qt::WindowMaximized);
    mail_list->SetListWidth(width - 9);
    mail_list->resize(width - 9, mail_list->height());
    for (int column = 0; column < 5; ++column)
        mail_list->SetSectionWidth(column, FSettings.ReadInteger(NumberedKey("Sec", column + 1),
                                                                 DefaultSectionWidths[column]));
}

void TForm1::WriteGeometry() {
    const bool maximized = isMaximized() || isFullScreen();
    FSettings.WriteInteger(QStringLiteral("Maximized"), maximized ? 1 : 0);
    // While maximised, the place and size it goes back to.
    const QRect normal = maximized ? normalGeometry() : QRect(pos(), size());
    if (normal.isValid()) {
        FSettings.WriteInteger(QStringLiteral("XPos"), normal.x());
        FSettings.WriteInteger(QStringLiteral("YPos"), normal.y());
        FSettings.WriteInteger(QStringLiteral("Width"), normal.width());
        FSettings.WriteInteger(QStringLiteral("Height"), normal.height());
    }
    for (int column = 0; column < 5; ++column)
        FSettings.WriteInteger(NumberedKey("Sec", column + 1), mail_list->SectionWidth(column));
    FSettings.Flush();
}

void TForm1::WriteToIniFile() {
    // First: the keyring's jobs end there, and the history then knows which passwords stay out
    // of the file.
    Parts.ForEach([](TComponent& part) { part.WriteSettings(); });
    FSettings.WriteInteger(QStringLiteral("Maximized"), isMaximized() || isFullScreen() ? 1 : 0);
    Accounts.Save(FSettings, [this](int account) {
        return Parts.Any([account](TComponent& part) { return part.KeepsPasswordOf(account); });
    });
    FSettings.WriteInteger(QStringLiteral("HeaderTextsAsSent"), HeaderTextsAsSent() ? 1 : 0);
    FSettings.Flush();
}
