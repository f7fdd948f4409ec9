#pragma once

#include "Component.h"
#include "SeenMarkers.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <future>
#include <string>
#include <utility>

class QLabel;
class TFrame;

// Mails new since the last complete listing: with unique ids from the server, the account's
// seen file says which listed mails were not there the time before. They get a marker in the
// "New" column, every row with an id the time it was first listed in its tooltip, and the
// status bar counts them. The ids also serve to tell, at the next listing, which mails whose
// deletion QUIT left unconfirmed are gone.
class TNewMailMarkers : public TComponent {
public:
    explicit TNewMailMarkers(TFrame& frame);

    void RowsCleared() override;
    void ListingBegins(const TListingStart& start) override;
    void MailListed(const TListedMail& mail, TMailAnswer& answer) override;
    void ListingEnded(bool complete) override;
    void RowsRemoved(const std::vector<TMsgNumber>& numbers) override;
    bool DeletionUnconfirmed(const std::vector<TMsgNumber>& numbers) override;

    // The status bar's count of new mails.
    QLabel* Count;
    // The time a listing is made at (seconds since 1970); the clock unless a test puts its own.
    std::function<int64_t()> Clock;

private:
    // The markers of this listing, the seen file read by now; a file that cannot be used is
    // said once.
    TSeenMarkers& Markers();
    void ShowCount();
    void ForgetCount();
    // At a complete listing with ids: which of the unconfirmed deletions are gone, told once.
    void ShowUnconfirmedDeletions();

    TFrame& frame_;
    TSeenMarkers markers_;
    // The seen file being read while the server answers UIDL and LIST, and its name.
    std::future<std::pair<TSeenMarkers, std::string>> loading_;
    QString loadingFile_;
    bool listing_ = false; // a full listing notes the ids it gets
    bool counted_ = false; // the status bar counts the new rows
    // The last tooltip made: most rows of a listing were first seen at the same time, and
    // turning a time into local time asks the system's time zone each time.
    int64_t tipSince_ = 0;
    QString tip_;
};
