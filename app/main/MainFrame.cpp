// What the window offers its components besides its state: the login row's account, the
// status line counting marks, fetching and showing a whole mail.
#include "AccountData.h"
#include "ByteText.h"
#include "CopiesOfDeleted.h"
#include "Find.h"
#include "Main.h"
#include "MarkCommands.h"
#include "MarksCountLine.h"
#include "NewMailMarkers.h"
#include "RulesTexts.h"
#include "email.h"

#include <QComboBox>

// Each capability beyond the window's own commands is made here, once; the order is the order
// their hooks are called in.
void TForm1::MakeComponents() {
    SetColumnLook(RuleColumn, RulesTexts::Column, "Zeile 999");
    SetColumnLook(SpamColumn, {"Spam", "Spam"}, "99.9");
    Parts.Add(std::make_unique<TNewMailMarkers>(*this));
    Parts.Add(std::make_unique<TCopiesOfDeleted>(*this));
    const TMarkCommands& marks = Parts.Add(std::make_unique<TMarkCommands>(*this));
    Parts.Add(std::make_unique<TFind>(*this, marks));
}

QString TForm1::ServerText() const {
    return servername->currentText().trimmed();
}

QString TForm1::UserText() const {
    return Username->currentText();
}

QString TForm1::AccountFolder() const {
    return AccountFolderName(pop3.UserId, pop3.Host, pop3.UsedPort());
}

void TForm1::StatusAppendMarks(const QString& message) {
    MarksLine->Append(message);
}

std::unique_ptr<TMbxMsg> TForm1::FetchWholeMail(int number) {
    TCommandScope scope(*this, StateListed);
    return FetchWholeMail(scope, number);
}

void TForm1::ShowMail(std::unique_ptr<TMbxMsg> msg) {
    if (!FMessageWindow || !msg)
        return;
    CurrentMsg = std::move(msg);
    FMessageWindow->ShowMessageOf(*CurrentMsg);
    FMessageWindow->exec();
}
