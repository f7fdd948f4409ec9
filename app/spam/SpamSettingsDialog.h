#pragma once

#include "SpamSetting.h"

#include <QDialog>

class QComboBox;
class QFormLayout;
class QLineEdit;
class QSpinBox;

// The spam scorer setting as the user edits it: which scorer (or none), where it is reached,
// how many body lines go with each header, the time-out per mail.
class TSpamSettingsDialog : public QDialog {
    Q_OBJECT
public:
    TSpamSettingsDialog(QWidget* parent, const TSpamSetting& current, bool germanUI);

    TSpamSetting Setting() const;

    QComboBox* Scorer;  // off, SpamAssassin, rspamd, bogofilter
    QLineEdit* Place;   // HOST:PORT, socket or word list folder, as the scorer needs
    QLineEdit* Program; // the client program; empty: from PATH
    QSpinBox* BodyLines;
    QSpinBox* Timeout; // seconds

private:
    // The place's label names what the chosen scorer needs; off leaves nothing to fill in.
    void ScorerChosen();

    QFormLayout* form_;
    bool germanUI_;
};
