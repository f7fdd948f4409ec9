#include "RulesDialog.h"

#include "LanguageTexts.h"
#include "ListingRules.h"
#include "RulesDialogTexts.h"
#include "SaveDialog.h"
#include "WindowPlacement.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace T = RulesDialogTexts;

namespace {

constexpr TRowField kListedFields[] = {TRowField::From,     TRowField::To,   TRowField::Cc,
                                       TRowField::Subject,  TRowField::Size, TRowField::Age,
                                       TRowField::SpamScore};

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace

void TRulesDialog::ShowNote(QLabel* note, const QString& text) {
    note->setText(text);
    note->setVisible(!text.isEmpty());
}

QLabel* TRulesDialog::NoteLabel(QWidget* parent, const char* name) {
    auto* note = new QLabel(parent);
    note->setObjectName(QString::fromLatin1(name));
    // Notes quote the script and file names: never read as rich text (an <img> would load).
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    note->hide();
    return note;
}

TRulesDialog::TRulesDialog(const QString& folder, const QString& server, const QString& user,
                           bool germanUI, QWidget* parent)
    : QDialog(parent), german_(germanUI) {
    setObjectName(QStringLiteral("RulesDialog"));
    setWindowTitle(Text(T::Title));
    const bool hasAccount = !server.isEmpty() && !user.isEmpty();
    files_ = {hasAccount ? AccountRulesFile(folder, server, user) : QString(),
              SharedRulesFile(folder)};
    ConfirmDropped = [this](const QStringList& dropped) { return AskDropped(dropped); };
    ChooseFile = [this](bool exporting) {
        return exporting
                   ? QFileDialog::getSaveFileName(this, Text(T::Export), SaveFolderOf(this).Start(),
                                                  Text(T::FileFilter))
                   : QFileDialog::getOpenFileName(this, Text(T::Import), SaveFolderOf(this).Start(),
                                                  Text(T::FileFilter));
    };

    auto* layout = new QVBoxLayout(this);
    auto* scopeRow = new QHBoxLayout;
    ForAccount = new QRadioButton(Text(T::ForAccount), this);
    ForAccount->setObjectName(QStringLiteral("ForAccount"));
    ForAccount->setEnabled(hasAccount);
    ForAll = new QRadioButton(Text(T::ForAll), this);
    ForAll->setObjectName(QStringLiteral("ForAll"));
    scopeRow->addWidget(ForAccount);
    scopeRow->addWidget(ForAll);
    scopeRow->addStretch();
    layout->addLayout(scopeRow);
    ScopeNote = NoteLabel(this, "ScopeNote");
    layout->addWidget(ScopeNote);

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Tabs->addTab(BuildRulesPage(), Text(T::RulesTab));
    Tabs->addTab(BuildListsPage(), Text(T::ListsTab));
    SieveText = new QPlainTextEdit(this);
    SieveText->setObjectName(QStringLiteral("SieveText"));
    SieveText->setLineWrapMode(QPlainTextEdit::NoWrap);
    Tabs->addTab(SieveText, Text(T::SieveTab));
    layout->addWidget(Tabs, 1);

    Error = NoteLabel(this, "Error");
    Error->setStyleSheet(QStringLiteral("color: #b00020"));
    layout->addWidget(Error);

    auto* buttons = new QHBoxLayout;
    Import = new QPushButton(Text(T::Import), this);
    Import->setObjectName(QStringLiteral("Import"));
    Export = new QPushButton(Text(T::Export), this);
    Export->setObjectName(QStringLiteral("Export"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Ok"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(::Tr(Texts::CaptionCancel, german_), this);
    cancel->setObjectName(QStringLiteral("Cancel"));
    buttons->addWidget(Import);
    buttons->addWidget(Export);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(Import, &QPushButton::clicked, this, &TRulesDialog::ImportFile);
    connect(Export, &QPushButton::clicked, this, &TRulesDialog::ExportFile);
    connect(ok, &QPushButton::clicked, this, &TRulesDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    // The account's own file when it has one, as the listing reads it.
    scope_ = hasAccount && QFileInfo::exists(files_[AccountScope]) ? AccountScope : SharedScope;
    (scope_ == AccountScope ? ForAccount : ForAll)->setChecked(true);
    for (int s : {AccountScope, SharedScope}) {
        QString why;
        if (!files_[s].isEmpty() && QFileInfo::exists(files_[s]) &&
            !ReadRulesFile(files_[s], scripts_[s], why))
            ShowError(Text(T::NotRead).arg(files_[s], why));
        originals_[s] = scripts_[s];
    }
    connect(ForAll, &QRadioButton::toggled, this, &TRulesDialog::ScopeChosen);
    connect(Tabs, &QTabWidget::currentChanged, this, &TRulesDialog::TabChosen);
    ShowScript();
    resize(720, 460);
}

void TRulesDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Placed once its frame is known, so that all of it is on a small screen too.
    if (!event->spontaneous())
        PlaceOverOwner(this, QSize(720, 460));
}

QString TRulesDialog::Text(const TText& text) const {
    return ::Tr(text, german_);
}

QWidget* TRulesDialog::BuildRulesPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* top = new QHBoxLayout;
    AllOrAny = new QComboBox(page);
    AllOrAny->setObjectName(QStringLiteral("AllOrAny"));
    AllOrAny->addItems({Text(T::WhenAny), Text(T::WhenAll)});
    RuleName = new QLineEdit(page);
    RuleName->setObjectName(QStringLiteral("RuleName"));
    top->addWidget(AllOrAny);
    top->addStretch();
    top->addWidget(new QLabel(Text(T::Name), page));
    top->addWidget(RuleName);
    layout->addLayout(top);

    Table = new QTableWidget(0, 4, page);
    Table->setObjectName(QStringLiteral("RulesTable"));
    QStringList captions;
    for (const TText& c : T::Columns)
        captions << Text(c);
    Table->setHorizontalHeaderLabels(captions);
    for (const int column : {FieldColumn, ComparisonColumn, ActionColumn})
        Table->horizontalHeader()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    Table->horizontalHeader()->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(Table, 1);

    auto* buttons = new QHBoxLayout;
    const auto button = [&](const TText& text, const char* name) {
        auto* b = new QPushButton(Text(text), page);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
        return b;
    };
    AddRow = button(T::AddRow, "AddRow");
    RemoveRow = button(T::RemoveRow, "RemoveRow");
    RowUp = button(T::RowUp, "RowUp");
    RowDown = button(T::RowDown, "RowDown");
    buttons->addStretch();
    layout->addLayout(buttons);
    RowsNote = NoteLabel(page, "RowsNote");
    layout->addWidget(RowsNote);

    connect(AddRow, &QPushButton::clicked, this, [this] {
        AddTableRow({});
        Table->setCurrentCell(Table->rowCount() - 1, ValueColumn);
        Table->editItem(Table->item(Table->rowCount() - 1, ValueColumn));
    });
    connect(RemoveRow, &QPushButton::clicked, this, [this] {
        if (Table->currentRow() >= 0)
            Table->removeRow(Table->currentRow());
    });
    connect(RowUp, &QPushButton::clicked, this, [this] { MoveRow(-1); });
    connect(RowDown, &QPushButton::clicked, this, [this] { MoveRow(1); });
    return page;
}

void TRulesDialog::AddTableRow(const TRuleRow& rule) {
    const int row = Table->rowCount();
    Table->insertRow(row);
    auto* field = new QComboBox(Table);
    field->setEditable(true);
    field->setToolTip(Text(T::FieldTip));
    for (const TRowField f : kListedFields)
        field->addItem(Text(T::Fields[static_cast<int>(f)]), static_cast<int>(f));
    if (rule.field == TRowField::Header)
        field->setEditText(QString::fromStdString(rule.header));
    else
        field->setCurrentIndex(field->findData(static_cast<int>(rule.field)));
    Table->setCellWidget(row, FieldColumn, field);
    Table->setCellWidget(row, ComparisonColumn, new QComboBox(Table));
    Table->setItem(row, ValueColumn, new QTableWidgetItem(FromUtf8(rule.value)));
    auto* action = new QComboBox(Table);
    for (const TText& a : T::Actions)
        action->addItem(Text(a));
    action->setCurrentIndex(static_cast<int>(rule.action));
    Table->setCellWidget(row, ActionColumn, action);
    ShowComparisons(row, rule.comparison);
    connect(field, &QComboBox::currentTextChanged, this, [this, field] {
        for (int r = 0; r < Table->rowCount(); ++r)
            if (Table->cellWidget(r, FieldColumn) == field)
                ShowComparisons(r, RowAt(r).comparison);
    });
}

// The comparisons the row's field offers, the wanted one chosen when it is among them.
void TRulesDialog::ShowComparisons(int row, TRowComparison wanted) {
    auto* combo = static_cast<QComboBox*>(Table->cellWidget(row, ComparisonColumn));
    const QSignalBlocker blocker(combo);
    combo->clear();
    for (const TRowComparison c : ComparisonsOf(RowAt(row).field))
        combo->addItem(Text(T::Comparisons[static_cast<int>(c)]), static_cast<int>(c));
    combo->setCurrentIndex(std::max(0, combo->findData(static_cast<int>(wanted))));
}

TRuleRow TRulesDialog::RowAt(int row) const {
    TRuleRow rule;
    const auto* field = static_cast<QComboBox*>(Table->cellWidget(row, FieldColumn));
    const int listed = field->findText(field->currentText());
    if (listed >= 0) {
        rule.field = static_cast<TRowField>(field->itemData(listed).toInt());
    } else {
        rule.field = TRowField::Header;
        rule.header = ToUtf8(field->currentText().trimmed());
    }
    const auto* comparison = static_cast<QComboBox*>(Table->cellWidget(row, ComparisonColumn));
    if (comparison->currentIndex() >= 0)
        rule.comparison = static_cast<TRowComparison>(comparison->currentData().toInt());
    if (const QTableWidgetItem* value = Table->item(row, ValueColumn))
        rule.value = ToUtf8(value->text());
    rule.action = static_cast<TRowAction>(
        static_cast<QComboBox*>(Table->cellWidget(row, ActionColumn))->currentIndex());
    return rule;
}

TRuleSet TRulesDialog::ShownSet() const {
    TRuleSet set;
    set.all = AllOrAny->currentIndex() == 1;
    set.name = ToUtf8(RuleName->text().trimmed());
    for (int r = 0; r < Table->rowCount(); ++r)
        set.rows.push_back(RowAt(r));
    return set;
}

void TRulesDialog::SetRows(const TRuleSet& set) {
    Table->setRowCount(0);
    AllOrAny->setCurrentIndex(set.all ? 1 : 0);
    RuleName->setText(FromUtf8(set.name));
    for (const TRuleRow& row : set.rows)
        AddTableRow(row);
}

void TRulesDialog::MoveRow(int by) {
    const int from = Table->currentRow();
    TRuleSet set = ShownSet();
    if (from < 0 || from + by < 0 || from + by >= static_cast<int>(set.rows.size()))
        return;
    std::swap(set.rows[from], set.rows[from + by]);
    SetRows(set);
    Table->setCurrentCell(from + by, ValueColumn);
}

QString TRulesDialog::File() const {
    return files_[scope_];
}

std::string TRulesDialog::Script() {
    TakeTab();
    return scripts_[scope_];
}

void TRulesDialog::TabChosen(int index) {
    if (!TakeTab()) {
        const QSignalBlocker blocker(Tabs);
        Tabs->setCurrentIndex(shownTab_);
        return;
    }
    ShowError({});
    shownTab_ = index;
    ShowScript();
}

void TRulesDialog::ScopeChosen() {
    const int chosen = ForAll->isChecked() ? SharedScope : AccountScope;
    if (chosen == scope_)
        return;
    if (!TakeTab()) {
        const QSignalBlocker blocker(ForAll), blocker2(ForAccount);
        (scope_ == AccountScope ? ForAccount : ForAll)->setChecked(true);
        return;
    }
    // Each scope keeps its edits while the dialog is open; OK writes the chosen one.
    scope_ = chosen;
    ShowScript();
}

void TRulesDialog::ShowError(const QString& text) {
    ShowNote(Error, text);
}
