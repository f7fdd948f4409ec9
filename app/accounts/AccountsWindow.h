#pragma once

#include <QDialog>

#include <vector>

class QCheckBox;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TAccountChecks;

// The accounts window: one row per remembered account with what its last check found, and
// the buttons and options of the checks. It only shows and asks; TAccounts acts.
class TAccountsWindow : public QDialog {
    Q_OBJECT
public:
    TAccountsWindow(TAccountChecks& checks, QWidget* parent);

    void LanguageChanged(bool germanUI);
    // All rows anew (the accounts changed), or one row.
    void ShowRows();
    void ShowRow(int row);
    // The chosen rows, in order; all of them when none is chosen and all is true.
    std::vector<int> Chosen(bool all) const;

    QTableWidget* Table;
    QPushButton* CheckButton;
    QPushButton* PruneButton;
    QPushButton* OpenButton;
    QCheckBox* CheckEvery;
    QSpinBox* Minutes;
    QCheckBox* PruneAfterCheck;

private:
    void ChosenChanged();

    TAccountChecks& checks_;
    QPushButton* close_;
    bool germanUI_ = false;
};
