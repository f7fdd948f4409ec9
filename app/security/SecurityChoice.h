#pragma once

#include "Security.h"

class QComboBox;

// The login row's choice of how the connection is protected. Its items carry their mode, so
// the texts can change with the language while the choice stays.
void FillSecurityChoice(QComboBox& choice, bool germanUI);
TSecurity ChosenSecurity(const QComboBox& choice);
void ChooseSecurity(QComboBox& choice, TSecurity security);
