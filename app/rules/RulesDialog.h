#pragma once

#include "RuleRows.h"
#include "SenderLists.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <string>

class QComboBox;
class QKeyEvent;
class QShowEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableWidget;

// The rules of one account or of all accounts, edited as rows, as the friends and blocked
// lists, or as the Sieve text itself. The account's rules add to those for all accounts. The text
// is what is kept: the rows and the lists are written into it when their tab is left and read from
// it when it is shown. OK writes it only when the whole script parses; otherwise the error's line
// and column are shown and the dialog stays open.
class TRulesDialog : public QDialog {
    Q_OBJECT
public:
    // The account is server and user as the login row holds them; without either, only the
    // rules for all accounts can be edited.
    TRulesDialog(const QString& folder, const QString& server, const QString& user, bool germanUI,
                 QWidget* parent);

    // The file the chosen scope's script goes to.
    QString File() const;
    // The script as the tabs show it now.
    std::string Script();

    // Asks for the file to import from or export to; empty: none. A file dialog unless a
    // test puts its own.
    std::function<QString(bool exporting)> ChooseFile;

    // Asks before a save takes friends off the list their file had; true: save. A message box
    // unless a test puts its own.
    std::function<bool(const QStringList& dropped)> ConfirmDropped;

    void accept() override;

    enum { RulesPage = 0, ListsPage = 1, SievePage = 2 };
    enum { FieldColumn, ComparisonColumn, ValueColumn, ActionColumn }; // of Table
    QRadioButton* ForAccount;
    QRadioButton* ForAll;
    QLabel* ScopeNote;
    QTabWidget* Tabs;
    QComboBox* AllOrAny;
    QLineEdit* RuleName;
    QTableWidget* Table; // field, comparison, value, action
    QPushButton* AddRow;
    QPushButton* RemoveRow;
    QPushButton* RowUp;
    QPushButton* RowDown;
    QLabel* RowsNote;
    // Friends first, then blocked: the list, the entry field and its buttons.
    std::array<QListWidget*, 2> Lists{};
    std::array<QLineEdit*, 2> Entries{};
    std::array<QPushButton*, 2> AddEntry{};
    std::array<QPushButton*, 2> RemoveEntry{};
    QLabel* ListsNote;
    QPlainTextEdit* SieveText;
    QLabel* Error;
    QPushButton* Import;
    QPushButton* Export;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    enum { AccountScope = 0, SharedScope = 1 };
    // A note below a tab or the dialog's error, shown while it has text.
    static QLabel* NoteLabel(QWidget* parent, const char* name);
    static void ShowNote(QLabel* note, const QString& text);
    QWidget* BuildRulesPage();
    QWidget* BuildListsPage();
    void AddTableRow(const TRuleRow& row);
    void ShowComparisons(int row, TRowComparison wanted);
    TRuleRow RowAt(int row) const;
    TRuleSet ShownSet() const;
    void SetRows(const TRuleSet& set);
    void MoveRow(int by);
    void AddToList(int list);
    TSenderLists ShownLists() const;

    // The script into the tabs; the tab being left into the script (false, with the error
    // shown, when its content cannot be written).
    void ShowScript();
    bool TakeTab();
    void TabChosen(int index);
    void ScopeChosen();
    void ShowError(const QString& text);
    QStringList DroppedFriends() const;
    bool AskDropped(const QStringList& dropped);
    void ImportFile();
    void ExportFile();

    QString Text(const struct TText& text) const;

    bool german_;
    std::array<QString, 2> files_; // the account's and the shared one
    std::array<std::string, 2> scripts_;
    std::array<std::string, 2> originals_; // as the files were when the dialog opened
    int scope_ = 1;
    int shownTab_ = RulesPage;
    bool rowsEditable_ = true;
    bool listsEditable_ = true;
};
