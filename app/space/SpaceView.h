#pragma once

#include "Component.h"
#include "SpaceDialog.h"
#include "SpaceGroups.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QAction;
class QToolButton;
class TFind;
class TMultiList;
struct TAlikeRows;
class TFrame;
class TMarkAlikeEntries;
class TUnsubscribe;

// The shown rows of these mails, less those kept, as mark alike marks them.
TAlikeRows GroupRows(const TMultiList& list, const std::vector<int>& numbers,
                     const std::function<bool(int number)>& kept);

// "Space" in the Server menu and the tool bar: where the listed mails' space goes, grouped by
// sender, domain, list, year, size or attachments, as a table and a treemap, with the account's
// quota. Groups are marked as mark alike marks (mails the rules keep stay unmarked) and shown as
// find shows its rows. Everything comes from the listed headers and sizes; nothing is downloaded.
class TSpaceView : public QObject, public TComponent {
    Q_OBJECT
public:
    TSpaceView(TFrame& frame, TMarkAlikeEntries& alike, TFind& find, TUnsubscribe& unsubscribe);

    void LanguageChanged(bool germanUI) override;
    void StateChanged(int state) override;
    void RowsCleared() override;
    void ListingBegins(const TListingStart& start) override;
    void MailListed(const TListedMail& mail, TMailAnswer& answer) override;
    // An open view shows the new listing.
    void ListingEnded(bool complete) override;
    void RowsRemoved(const std::vector<TMsgNumber>& numbers) override;

    QAction* Entry;
    // In the tool bar: does what Entry does, when Entry can.
    QToolButton* Button;
    // The window, made at its first opening; null before.
    TSpaceDialog* Dialog() const { return dialog_; }
    void Open();
    // Adds the chosen groups' mails to the marks (those the rules keep left out).
    void MarkChosen();
    // The list shows only the chosen groups' mails; every mail again with none chosen.
    void ShowChosen();
    // Unsubscribes from the list of the chosen groups' newest mail that offers it (highest
    // number: the last to arrive), as the row menu does.
    void UnsubscribeChosen();
    // The listed mails as CSV into path; false (the status says why) when it cannot be written.
    bool ExportTo(const QString& path);
    const TSpaceIndex& Index() {
        TakeListed();
        return index_;
    }
    // The mailbox's size as STAT gave it, less what was deleted since.
    long long MailboxBytes() const { return statBytes_; }

private:
    // The mails listed since the index was last read into it.
    void TakeListed();
    void Regroup();
    void MarksChanged();
    void ShowMeter();
    void QuotaChanged(double gb);
    QString QuotaName() const;
    TNumberRuns NumbersOf(const std::vector<const TSpaceGroup*>& groups) const;

    TFrame& frame_;
    TMarkAlikeEntries& alike_;
    TFind& find_;
    TUnsubscribe& unsubscribe_;
    TSpaceIndex index_;
    // Listed and not yet in the index: its headers are read when the view needs them, so the
    // listing itself costs nothing more.
    std::vector<std::pair<int, long long>> listedSince_;
    std::vector<TSpaceGroup> groups_;
    long long statBytes_ = 0;
    bool listed_ = false;      // a full listing with sizes came in
    bool marksQueued_ = false; // one recount for a burst of mark changes
    QPointer<TSpaceDialog> dialog_;
};
