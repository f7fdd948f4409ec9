#pragma once

// How a listed mail offers to unsubscribe from its list: the URIs of List-Unsubscribe (RFC
// 2369), whether List-Unsubscribe-Post asks for one-click (RFC 8058), and whether a
// DKIM-Signature of the sender's domain covers both fields, as RFC 8058 asks of senders.

#include <string>
#include <string_view>
#include <vector>

enum class TUnsubscribeKind {
    OneClick, // https with List-Unsubscribe-Post: a POST unsubscribes
    Page,     // https without it: a page to open in the browser
    Mail,     // mailto: a mail for the desktop's mail client
    Insecure, // http: readable and changeable on the way
};

struct TUnsubscribeMethod {
    TUnsubscribeKind Kind;
    std::string Uri; // as in the field, blanks taken out
};

enum class TDkimCoverage {
    NoSignature, // no DKIM-Signature
    Covers,      // one of the sender's domain (or a parent) names both fields in h=
    LeavesOut,   // the sender's domain signs, but not both fields
    OtherDomain, // only other domains sign
};

struct TUnsubscribeOffer {
    std::vector<TUnsubscribeMethod> Methods; // in the field's order, unknown schemes left out
    std::string Sender;                      // the From address, lower case; empty: none
    std::string List;                        // List-Id's id ("news.example.org"), else the sender
    std::string ListName;                    // List-Id's phrase, decoded; empty: none
    TDkimCoverage Dkim = TDkimCoverage::NoSignature;
    std::string SigningDomain; // d= of the signature judged; empty: none

    bool Any() const { return !Methods.empty(); }
    // The first method of that kind; null for none.
    const TUnsubscribeMethod* First(TUnsubscribeKind kind) const;
};

// The offer of a listed header (as TOP n 0 gives it, or its lines joined by CR LF).
TUnsubscribeOffer UnsubscribeOffer(std::string_view header);

// The id of a header's List-Id field ("phrase <id>", RFC 2919; the whole value when it has no
// angle brackets), lower case; empty for none.
std::string ListIdOf(std::string_view header);

// The URIs of one List-Unsubscribe value: those in angle brackets, blanks inside taken out
// (RFC 2369 allows folding there); without any angle brackets, the comma-separated items.
// Comments and other text outside the brackets are dropped.
std::vector<std::string> UnsubscribeUris(std::string_view value);

// True when domain is signer or below it ("news.example.org" under "example.org"); a
// signer without a dot (a top-level domain) covers only itself.
bool DomainUnder(std::string_view domain, std::string_view signer);
