#pragma once

#include <QString>

class QWidget;

// Automatic mode met a server that offers no encryption: asks whether to connect anyway,
// saying that the password and the mails would travel unencrypted. True for "connect
// unencrypted"; the dialog's buttons are named btn_unencrypted and btn_cancel.
bool AskConnectUnencrypted(QWidget* parent, const QString& server, bool germanUI);
