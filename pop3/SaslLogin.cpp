// Sign-in with an OAuth2 access token over SASL (RFC 5034 AUTH, RFC 7628), a part of TMbxPOP.
#include <string>
#include <utility>

#include "MbxPOP3.h"

namespace {

// "XOAUTH2 (SASL: PLAIN OAUTHBEARER)": what was asked and what the server offers.
std::string AskedAndOffered(const char* mechanism, const TCapabilities& caps) {
    std::string offered;
    for (const std::string& m : caps.Sasl)
        offered += (offered.empty() ? "" : " ") + m;
    return std::string(mechanism) + " (SASL: " + (offered.empty() ? "-" : offered) + ")";
}

} // namespace

bool TMbxPOP::SaslLogin() {
    // A token opens the mailbox as a password does: never in plain text. Connect let no
    // unverified certificate through unless the user trusted it.
    if (!socket_->Socket()->Tls()) {
        closeAndReport(this, kErrLogin, kTextSaslNeedsTls);
        return false;
    }
    if (!capabilities_.Known)
        RequestCapabilities();
    if (!connected_)
        return false;
    // Both mechanisms carry the same access token: a server that lists only the other one
    // gets that one.
    const TAuthMethod other =
        Auth == TAuthMethod::XOAuth2 ? TAuthMethod::OAuthBearer : TAuthMethod::XOAuth2;
    if (!OffersSasl(capabilities_, SaslMechanism(Auth)) &&
        OffersSasl(capabilities_, SaslMechanism(other)))
        Auth = other;
    const char* mechanism = SaslMechanism(Auth);
    if (!OffersSasl(capabilities_, mechanism)) {
        closeAndReport(this, kErrLogin,
                       std::string(kTextSaslNotOffered) + ": " +
                           AskedAndOffered(mechanism, capabilities_));
        return false;
    }
    // Two steps: Microsoft 365 refuses the initial response on the AUTH line itself.
    std::string reply;
    SendText(std::string("AUTH ") + mechanism + "\r\n");
    ReceiveText(reply);
    if (!ContinuationPayload(reply)) {
        if (!failed_)
            replyText_ = kTextSaslNoContinuation;
        ReportError(kErrLogin);
        return false;
    }
    const TOAuthTarget target{UserId, Host, usedPort_};
    SendText(OAuthInitialResponse(Auth, target, std::exchange(AccessToken, {})) + "\r\n");
    ReceiveText(reply);
    if (replyStatus_ == "+OK")
        return true;
    const std::optional<std::string> challenge = ContinuationPayload(reply);
    if (!challenge) {
        ReportError(kErrLogin); // refused without a reason of the provider's
        return false;
    }
    // The exchange ends with the client's answer to the challenge, and the server's "-ERR".
    const std::string why = OAuthRefusalText(ReadOAuthChallenge(*challenge));
    SendText(OAuthFailureResponse(Auth) + "\r\n");
    ReceiveText(reply);
    closeAndReport(this, kErrLogin, why);
    return false;
}
