// What the window offers its components besides its state: the login row's account, the
// status line counting marks, fetching and showing a whole mail.
#include "AccountData.h"
#include "ByteText.h"
#include "Main.h"
#include "MarkAlikeEntries.h"
#include "MarkCommands.h"
#include "MarksCountLine.h"
#include "NewMailMarkers.h"
#include "RulesOnListing.h"
#include "SenderListEntries.h"
#include "SpamScores.h"
#include "email.h"

#include <QComboBox>

// Each capability beyond the window's own commands is made here, once; the order is the order
// their hooks are called in.
void TForm1::MakeComponents() {
    auto& rules =
        Parts.Add(std::make_unique<TRulesOnListing>(*this, [this] { return Marks->Undoing(); }));
    Parts.Add(std::make_unique<TSpamScores>(*this, rules));
    Parts.Add(std::make_unique<TMarkAlikeEntries>(*this, rules));
    Parts.Add(std::make_unique<TSenderListEntries>(*this, rules));
    Parts.Add(std::make_unique<TNewMailMarkers>(*this));
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
