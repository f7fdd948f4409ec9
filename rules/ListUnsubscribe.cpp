#include "ListUnsubscribe.h"

#include "HeaderFields.h"
#include "MbxMIME.h"
#include "SenderLists.h"

namespace {

bool StartsWithLower(std::string_view text, std::string_view lowerPrefix) {
    return text.size() >= lowerPrefix.size() &&
           AsciiLower(std::string(text.substr(0, lowerPrefix.size()))) == lowerPrefix;
}

std::string WithoutBlanks(std::string_view text) {
    std::string out;
    for (const char c : text)
        if (static_cast<unsigned char>(c) > ' ')
            out += c;
    return out;
}

// Drops "(comments)" outside the brackets, which RFC 2369 allows between the URIs.
std::string WithoutComments(std::string_view value) {
    std::string out;
    int depth = 0;
    bool inAngle = false;
    for (const char c : value) {
        if (!inAngle && c == '(')
            ++depth;
        else if (!inAngle && c == ')' && depth > 0)
            --depth;
        else if (depth == 0) {
            if (c == '<')
                inAngle = true;
            else if (c == '>')
                inAngle = false;
            out += c;
        }
    }
    return out;
}

// A URI the field may name: known scheme, no control bytes.
bool Usable(const std::string& uri, TUnsubscribeKind& kind, bool oneClick) {
    for (const char c : uri)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7f || c == '<' || c == '>' || c == '"')
            return false;
    if (StartsWithLower(uri, "https://") && uri.size() > 8)
        kind = oneClick ? TUnsubscribeKind::OneClick : TUnsubscribeKind::Page;
    else if (StartsWithLower(uri, "http://") && uri.size() > 7)
        kind = TUnsubscribeKind::Insecure;
    else if (StartsWithLower(uri, "mailto:") && uri.size() > 7)
        kind = TUnsubscribeKind::Mail;
    else
        return false;
    return true;
}

// RFC 8058: the field holds the one key/value pair "List-Unsubscribe=One-Click".
bool AsksOneClick(const THeaderFields& fields) {
    for (const std::string& value : fields.Raw("list-unsubscribe-post"))
        if (AsciiLower(WithoutBlanks(value)) == "list-unsubscribe=one-click")
            return true;
    return false;
}

// The tags of a DKIM-Signature value, blanks (folding) taken out of each.
std::string DkimTag(const std::string& signature, std::string_view name) {
    for (size_t pos = 0; pos < signature.size();) {
        size_t end = signature.find(';', pos);
        if (end == std::string::npos)
            end = signature.size();
        const std::string_view item(signature.data() + pos, end - pos);
        const size_t equals = item.find('=');
        if (equals != std::string_view::npos &&
            AsciiLower(WithoutBlanks(item.substr(0, equals))) == name)
            return WithoutBlanks(item.substr(equals + 1));
        pos = end + 1;
    }
    return {};
}

bool NamesBoth(const std::string& signedFields) {
    bool list = false;
    bool post = false;
    for (size_t pos = 0; pos <= signedFields.size();) {
        size_t end = signedFields.find(':', pos);
        if (end == std::string::npos)
            end = signedFields.size();
        const std::string name = AsciiLower(signedFields.substr(pos, end - pos));
        list = list || name == "list-unsubscribe";
        post = post || name == "list-unsubscribe-post";
        pos = end + 1;
    }
    return list && post;
}

void JudgeDkim(const THeaderFields& fields, TUnsubscribeOffer& offer) {
    const size_t at = offer.Sender.rfind('@');
    const std::string senderDomain = at == std::string::npos ? "" : offer.Sender.substr(at + 1);
    for (const std::string& signature : fields.Raw("dkim-signature")) {
        const std::string domain = AsciiLower(DkimTag(signature, "d"));
        if (domain.empty())
            continue;
        const bool ours = !senderDomain.empty() && DomainUnder(senderDomain, domain);
        if (ours && NamesBoth(DkimTag(signature, "h"))) {
            offer.Dkim = TDkimCoverage::Covers;
            offer.SigningDomain = domain;
            return;
        }
        if (ours) {
            offer.Dkim = TDkimCoverage::LeavesOut;
            offer.SigningDomain = domain;
        } else if (offer.Dkim == TDkimCoverage::NoSignature) {
            offer.Dkim = TDkimCoverage::OtherDomain;
            offer.SigningDomain = domain;
        }
    }
}

// List-Id: "phrase <id>" (RFC 2919); false when the first field has no id.
bool ReadListId(const THeaderFields& fields, std::string& id, std::string& name) {
    const std::vector<std::string> ids = fields.Decoded("list-id");
    if (ids.empty())
        return false;
    const std::string& value = ids.front();
    const size_t open = value.rfind('<');
    const size_t close = value.find('>', open == std::string::npos ? 0 : open);
    // Without angle brackets the whole value is taken as the id: some lists send it so.
    if (open == std::string::npos && close == std::string::npos) {
        id = AsciiLower(WithoutBlanks(value));
        name.clear();
        return !id.empty();
    }
    if (open == std::string::npos || close == std::string::npos)
        return false;
    id = AsciiLower(WithoutBlanks(value.substr(open + 1, close - open - 1)));
    name = StripQuotes(Trim(value.substr(0, open)));
    return !id.empty();
}

} // namespace

const TUnsubscribeMethod* TUnsubscribeOffer::First(TUnsubscribeKind kind) const {
    for (const TUnsubscribeMethod& method : Methods)
        if (method.Kind == kind)
            return &method;
    return nullptr;
}

std::vector<std::string> UnsubscribeUris(std::string_view value) {
    const std::string text = WithoutComments(value);
    std::vector<std::string> uris;
    if (text.find('<') == std::string::npos) {
        for (size_t pos = 0; pos <= text.size();) {
            size_t end = text.find(',', pos);
            if (end == std::string::npos)
                end = text.size();
            std::string item = WithoutBlanks(std::string_view(text).substr(pos, end - pos));
            if (!item.empty())
                uris.push_back(std::move(item));
            pos = end + 1;
        }
        return uris;
    }
    for (size_t open = text.find('<'); open != std::string::npos; open = text.find('<', open)) {
        const size_t close = text.find('>', open + 1);
        if (close == std::string::npos)
            break;
        std::string uri = WithoutBlanks(std::string_view(text).substr(open + 1, close - open - 1));
        if (!uri.empty())
            uris.push_back(std::move(uri));
        open = close + 1;
    }
    return uris;
}

std::string ListIdOf(std::string_view header) {
    std::string id, name;
    return ReadListId(THeaderFields(header), id, name) ? id : std::string();
}

bool DomainUnder(std::string_view domain, std::string_view signer) {
    if (domain == signer)
        return !signer.empty();
    return signer.find('.') != std::string_view::npos && domain.size() > signer.size() + 1 &&
           domain.substr(domain.size() - signer.size()) == signer &&
           domain[domain.size() - signer.size() - 1] == '.';
}

TUnsubscribeOffer UnsubscribeOffer(std::string_view header) {
    const THeaderFields fields(header);
    TUnsubscribeOffer offer;
    const bool oneClick = AsksOneClick(fields);
    for (const std::string& value : fields.Decoded("list-unsubscribe"))
        for (std::string& uri : UnsubscribeUris(value)) {
            TUnsubscribeKind kind{};
            if (Usable(uri, kind, oneClick))
                offer.Methods.push_back({kind, std::move(uri)});
        }
    offer.Sender = SenderOf(header);
    std::string id, name;
    if (ReadListId(fields, id, name)) {
        offer.List = id;
        offer.ListName = name;
    } else {
        offer.List = offer.Sender;
    }
    JudgeDkim(fields, offer);
    return offer;
}
