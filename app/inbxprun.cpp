// InboxPruner: prunes a POP3 mailbox on the server without downloading it.
#include "Application.h"
#include "Glyphs.h"
#include "Header.h"
#include "Main.h"
#include "email.h"
#include "info.h"

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Fenn-Labs"));
    QApplication::setApplicationName(QStringLiteral("InboxPruner"));
    // No display name: the desktop would add it to every title, which already names the
    // program ("Mail header  - InboxPruner -").
    QApplication::setWindowIcon(ProgramIcon());

    // Creation order: the main window first, then the about, header and message windows.
    TForm1 form;
    auto* aboutBox = new TAboutBox(&form);
    auto* headerWindow = new TForm2(&form);
    auto* messageWindow = new TForm3(&form);
    form.SetWindows(aboutBox, headerWindow, messageWindow);
    application.SetMainWindow(&form);

    form.show();
    return QApplication::exec();
}
