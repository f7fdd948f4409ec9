#pragma once

#include "MailRows.h"

#include <QString>

class QWidget;

// The question asked before marked mails are deleted, and the texts around it.

// "Delete 3 mails (1.3 MByte) from the server?"
QString DeleteQuestion(const TMarkedMails& mails, bool germanUI);
// Status line when Delete finds nothing marked.
QString NothingMarkedText(bool germanUI);
// Status bar text while mails are marked ("3 marked: 1.3 MByte"); empty when none are.
QString MarkedSummary(const TMarkedMails& mails, bool germanUI);

// Asks modally; true only when the user chose to delete. The box is named
// "DeleteConfirmation"; its default button keeps the mails. A note, if any, stands below the
// question.
bool ConfirmDeletion(QWidget* parent, const TMarkedMails& mails, bool germanUI,
                     const QString& note = {});
