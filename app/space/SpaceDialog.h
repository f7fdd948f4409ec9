#pragma once

#include "SpaceGroups.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class TSpaceTreemap;

// The space view's window: the grouping, the groups as a sortable table (a domain's senders
// and a year's months as rows inside) and as a treemap, the quota meter and the commands.
// Non-modal; the space component fills it and acts on its commands.
class TSpaceDialog : public QDialog {
    Q_OBJECT
public:
    explicit TSpaceDialog(QWidget* parent);

    void SetLanguage(bool germanUI);
    // The groupings in the order of the choice.
    static const std::vector<TGrouping>& Groupings();
    TGrouping Grouping() const;

    // The table and treemap show these groups (kept by the caller until the next call) of a
    // mailbox of totalBytes.
    void ShowGroups(const std::vector<TSpaceGroup>* groups, long long totalBytes);
    // The marked column again, after CountMarked.
    void ShowMarked();
    // The groups chosen in the table (an inner row stands for itself).
    std::vector<const TSpaceGroup*> ChosenGroups() const;
    // Selects the row of a group (inner -1: the outer group) and shows it.
    void Choose(int outer, int inner);
    // A group's name as shown.
    QString GroupName(const TSpaceGroup& group) const;

    QComboBox* GroupBy;
    QTreeWidget* Table;
    TSpaceTreemap* Treemap;
    QDoubleSpinBox* Quota; // GB; 0: none
    QLabel* Meter;
    QLabel* MeterAfter;
    QPushButton* BtnMark;
    QPushButton* BtnShow;
    QPushButton* BtnUnsubscribe;
    QPushButton* BtnShowAll;
    QPushButton* BtnExport;

signals:
    // Mark the groups chosen.
    void MarkChosen();

private:
    QTreeWidgetItem* RowOf(const TSpaceGroup& group, QTreeWidgetItem* parent);
    QString SizeText(long long bytes) const;

    QLabel* groupByLabel_;
    QLabel* quotaLabel_;
    QPushButton* close_;
    bool german_ = false;
    const std::vector<TSpaceGroup>* groups_ = nullptr;
    long long total_ = 0;
};
