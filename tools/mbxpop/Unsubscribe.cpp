#include "Unsubscribe.h"

#include "EscapedLine.h"
#include "ListUnsubscribe.h"
#include "Messages.h"

namespace {

constexpr int kExitRefused = 1;
constexpr int kExitNoOneClick = 65;

const char* KindName(TUnsubscribeKind kind) {
    switch (kind) {
    case TUnsubscribeKind::OneClick:
        return "one-click";
    case TUnsubscribeKind::Page:
        return "page";
    case TUnsubscribeKind::Mail:
        return "mailto";
    case TUnsubscribeKind::Insecure:
        return "http";
    }
    return "";
}

const char* DkimName(TDkimCoverage dkim) {
    switch (dkim) {
    case TDkimCoverage::Covers:
        return "covers";
    case TDkimCoverage::LeavesOut:
        return "leaves-out";
    case TDkimCoverage::OtherDomain:
        return "other-domain";
    case TDkimCoverage::NoSignature:
        return "none";
    }
    return "";
}

} // namespace

int Unsubscribe(const std::string& header, const TUnsubscribeRequest& request, bool german,
                std::ostream& out, std::ostream& err) {
    const TUnsubscribeOffer offer = UnsubscribeOffer(header);
    for (const TUnsubscribeMethod& method : offer.Methods)
        out << KindName(method.Kind) << ' ' << EscapedLine(method.Uri) << '\n';
    if (!offer.List.empty())
        out << "list " << EscapedLine(offer.List) << '\n';
    out << "dkim " << DkimName(offer.Dkim)
        << (offer.SigningDomain.empty() ? "" : " " + EscapedLine(offer.SigningDomain)) << '\n';
    out.flush();
    const TUnsubscribeMethod* oneClick = offer.First(TUnsubscribeKind::OneClick);
    if (!oneClick) {
        err << "mbxpop: "
            << Pick(offer.Any() ? mbxpop_texts::NoOneClick : mbxpop_texts::NoUnsubscribe, german)
            << "\n";
        return kExitNoOneClick;
    }
    if (!request.Yes) {
        err << "mbxpop: " << Pick(mbxpop_texts::OneClickNeedsYes, german) << "\n";
        return 0;
    }
    return PostOneClick(oneClick->Uri, request, german, out, err) ? 0 : kExitRefused;
}
