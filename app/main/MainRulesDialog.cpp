// The rules dialog from the Server menu; what it saves applies from then on.
#include "LanguageTexts.h"
#include "Main.h"
#include "RulesDialog.h"
#include "RulesDialogTexts.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QStandardPaths>

void TForm1::BuildRulesDialogEntry() {
    Datei_R = new QAction(this);
    Datei_R->setObjectName(QStringLiteral("Datei_R"));
    Datei->insertAction(Datei_E, Datei_R);
    connect(Datei_R, &QAction::triggered, this, &TForm1::Datei_RClick);
}

void TForm1::ApplyRulesDialogTexts() {
    Datei_R->setText(Tr(RulesDialogTexts::MenuEntry, GermanUI()));
}

void TForm1::Datei_RClick() {
    // The account whose rules the listing reads.
    TRulesDialog dialog(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                        servername->currentText().trimmed(), RulesUser(), GermanUI(), this);
    if (dialog.exec() == QDialog::Accepted)
        RulesChanged();
}

void TForm1::RulesChanged() {
    // A listed mailbox is judged again at once; otherwise the next listing reads the rules.
    if (ControlState() == StateListed)
        RerunListingRules();
    else
        LoadListingRules();
}
