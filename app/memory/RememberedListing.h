#pragma once

#include "Component.h"
#include "HeaderMemory.h"
#include "RowColumns.h"

#include <QObject>

#include <future>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class TFrame;

// The headers of an account's mails remembered by unique id from one listing to the next, so
// that a listing asks the server only for the headers of mails it has not seen. The rows are
// built from the remembered bytes exactly as from fetched ones. A server without unique ids,
// or "Header texts as the server sent them" changed since, lists as it always did; the menu
// entry connects and reads every header afresh.
class TRememberedListing : public QObject, public TComponent {
public:
    explicit TRememberedListing(TFrame& frame);

    void LanguageChanged(bool germanUI) override;
    void StateChanged(int state) override;
    void ListingBegins(const TListingStart& start) override;
    const TMbxPOP::TRemembered* RememberedHeaders() override;
    std::optional<TRowColumnsView> PreparedColumns(std::string_view id) override;
    void MailListed(const TListedMail& mail, TMailAnswer& answer) override;
    void ListingEnded(bool complete) override;

    QAction* ListAfresh;

private:
    // What decides the bytes of a listed row: a file kept under another key is not used.
    std::string Key() const;
    std::string File() const;
    // The memory the listing uses, read by now; said once when it is damaged.
    THeaderMemory& Memory();

    // The file read, and each remembered header's row columns by its place in the memory, made
    // in the language and header-text setting of loadingKey_ / loadingGerman_.
    struct TLoaded {
        THeaderMemory Memory;
        TRowColumnsBlock Columns;
    };

    TFrame& frame_;
    std::optional<THeaderMemory> memory_;
    std::optional<TRowColumnsBlock> columns_;
    // The id whose header was taken last, and its place: its row comes next.
    std::string_view lastTaken_;
    std::size_t lastPlace_ = 0;
    // The file being read while the server answers UIDL and LIST, under loadingKey_.
    std::future<TLoaded> loading_;
    std::string loadingKey_;
    bool loadingGerman_ = false;
    TMbxPOP::TRemembered remembered_;
    bool listing_ = false; // a full listing with ids is noted
    bool afresh_ = false;  // the next listing asks for every header
};
