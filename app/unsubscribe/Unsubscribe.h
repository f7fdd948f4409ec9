#pragma once

#include "Component.h"
#include "ListUnsubscribe.h"
#include "OneClickPost.h"
#include "UnsubscribedLists.h"

#include <QObject>

class QAction;
class TFrame;
class TRulesOnListing;
class TSenderListEntries;
class TSpamScores;

// Unsubscribing from the current row's mailing list (List-Unsubscribe, RFC 2369 and 8058): a
// confirmation naming the sender, the list and the server, then the one-click POST, the page
// in the browser or a mail in the desktop's mail client. Mail rated as spam or from a blocked
// sender gets "Block sender" instead. The lists left are remembered per account; a later
// listing flags their mail that came more than two days after as "still sending".
class TUnsubscribe : public QObject, public TComponent {
public:
    TUnsubscribe(TFrame& frame, TRulesOnListing& rules, TSpamScores& spam,
                 TSenderListEntries& senders);

    void LanguageChanged(bool germanUI) override;
    void ListingBegins(const TListingStart& start) override;
    void MailListed(const TListedMail& mail, TMailAnswer& answer) override;

    QAction* men_unsubscribe;
    void UnsubscribeCurrent();
    // The same for listed mail number (the space view's list groups).
    void UnsubscribeFrom(int number);
    // A one-click POST is on its way.
    bool Posting() const { return post_.Running(); }

private:
    void ApplyTexts();
    // The question before anything is done; false when the user said no (or chose to block).
    bool Confirmed(const TUnsubscribeOffer& offer, const TUnsubscribeMethod& method,
                   std::int64_t since);
    // Spam or a blocked sender: why not, and "Block sender" at hand.
    void OfferBlockInstead(const QString& why);
    void Open(const TUnsubscribeOffer& offer, const TUnsubscribeMethod& method);
    void Remember(const std::string& list);

    TFrame& frame_;
    TRulesOnListing& rules_;
    TSpamScores& spam_;
    TSenderListEntries& senders_;
    TOneClickPost post_;
    TUnsubscribedLists memory_;
    QString memoryFile_;
};
