// The rules dialog's "Friends and blocked" tab: the two sender lists and their entry fields.
#include "RulesDialog.h"

#include "LanguageTexts.h"
#include "RulesDialogTexts.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace T = RulesDialogTexts;

QWidget* TRulesDialog::BuildListsPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    auto* columns = new QHBoxLayout;
    const TText* captions[] = {&T::Friends, &T::Blocked};
    const char* names[] = {"Friends", "Blocked"};
    for (int i = 0; i < 2; ++i) {
        auto* column = new QVBoxLayout;
        column->addWidget(new QLabel(Text(*captions[i]), page));
        Lists[i] = new QListWidget(page);
        Lists[i]->setObjectName(QString::fromLatin1(names[i]));
        column->addWidget(Lists[i], 1);
        auto* row = new QHBoxLayout;
        Entries[i] = new QLineEdit(page);
        Entries[i]->setObjectName(QString::fromLatin1(names[i]) + QStringLiteral("Entry"));
        Entries[i]->setPlaceholderText(Text(T::Entry));
        AddEntry[i] = new QPushButton(Text(T::AddRow), page);
        AddEntry[i]->setObjectName(QString::fromLatin1(names[i]) + QStringLiteral("Add"));
        RemoveEntry[i] = new QPushButton(Text(T::RemoveRow), page);
        RemoveEntry[i]->setObjectName(QString::fromLatin1(names[i]) + QStringLiteral("Remove"));
        row->addWidget(Entries[i], 1);
        row->addWidget(AddEntry[i]);
        row->addWidget(RemoveEntry[i]);
        column->addLayout(row);
        columns->addLayout(column);
        connect(AddEntry[i], &QPushButton::clicked, this, [this, i] { AddToList(i); });
        connect(Entries[i], &QLineEdit::returnPressed, this, [this, i] { AddToList(i); });
        connect(RemoveEntry[i], &QPushButton::clicked, this,
                [this, i] { qDeleteAll(Lists[i]->selectedItems()); });
    }
    layout->addLayout(columns, 1);
    ListsNote = NoteLabel(page, "ListsNote");
    layout->addWidget(ListsNote);
    return page;
}

void TRulesDialog::AddToList(int list) {
    // Several pasted at once, one a line or separated by commas or semicolons: each is added,
    // and those that are no address or domain stay in the field, named.
    static const QRegularExpression separators(QStringLiteral("[\\r\\n,;]+"));
    QStringList refused;
    for (const QString& part : Entries[list]->text().split(separators, Qt::SkipEmptyParts)) {
        if (part.trimmed().isEmpty())
            continue;
        std::string entry;
        try {
            entry = SenderEntry(part.toStdString());
        } catch (const std::invalid_argument&) {
            refused << part.trimmed();
            continue;
        }
        const QString shown = QString::fromStdString(entry);
        // An entry is on one list only: adding it moves it.
        qDeleteAll(Lists[1 - list]->findItems(shown, Qt::MatchExactly));
        if (Lists[list]->findItems(shown, Qt::MatchExactly).isEmpty())
            Lists[list]->addItem(shown);
    }
    Entries[list]->setText(refused.join(QStringLiteral(", ")));
    ShowError(refused.isEmpty() ? QString()
                                : Text(T::BadEntry).arg(refused.join(QStringLiteral(", "))));
}

void TRulesDialog::keyPressEvent(QKeyEvent* event) {
    // Enter in an entry field adds the entry (returnPressed); it neither saves nor closes.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && std::find(Entries.begin(), Entries.end(), focusWidget()) != Entries.end()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

TSenderLists TRulesDialog::ShownLists() const {
    TSenderLists lists;
    for (int i = 0; i < 2; ++i)
        for (int r = 0; r < Lists[i]->count(); ++r)
            (i == 0 ? lists.friends : lists.blocked)
                .push_back(Lists[i]->item(r)->text().toStdString());
    return lists;
}
