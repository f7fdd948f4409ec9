// The list's header texts decoded or as the server sent them.
#include "Main.h"

#include <QAction>

// The choice applies from the next listing on; rows already listed keep their texts.
void TForm1::Datei_HClick() {
    FHeaderTextsAsSent = Datei_H->isChecked();
}

void TForm1::SetHeaderTextsAsSent(bool asSent) {
    FHeaderTextsAsSent = asSent;
    Datei_H->setChecked(asSent);
}
