#pragma once

// Sign-in with an OAuth2 access token: the SASL mechanisms XOAUTH2 (Google, Microsoft) and
// OAUTHBEARER (RFC 7628), their client responses, and the provider's reason in a refusal.

#include <optional>
#include <string>

enum class TAuthMethod { Password, XOAuth2, OAuthBearer };

// "password", "xoauth2", "oauthbearer"; the names used in settings and on the command line.
std::string AuthMethodName(TAuthMethod method);
// The method of a name (case-insensitive); nothing for an unknown name.
std::optional<TAuthMethod> AuthMethodFromName(const std::string& name);
// "XOAUTH2" or "OAUTHBEARER" as AUTH and the SASL capability name them; empty for Password.
const char* SaslMechanism(TAuthMethod method);

// Where the token goes: OAUTHBEARER names the server's host and port as well.
struct TOAuthTarget {
    std::string User;
    std::string Host;
    int Port = 0;
};
// The initial client response, base64, as it follows the "+" of AUTH.
std::string OAuthInitialResponse(TAuthMethod method, const TOAuthTarget& target,
                                 const std::string& token);
// The answer to an error challenge that ends the exchange (base64; empty for XOAUTH2).
std::string OAuthFailureResponse(TAuthMethod method);

// The base64 payload of a continuation line ("+ ..." or "+" with CR LF); nothing when the
// line is no continuation.
std::optional<std::string> ContinuationPayload(const std::string& line);

// What the provider said in an error challenge (base64 of a JSON object).
struct TOAuthRefusal {
    bool Readable = false; // the challenge is base64 of a JSON object
    std::string Status, Error, Schemes, Scope;
};
TOAuthRefusal ReadOAuthChallenge(const std::string& base64);
// The sentence for the user: the provider's status and error text, or that its challenge
// could not be read.
std::string OAuthRefusalText(const TOAuthRefusal& refusal);

// Texts of a SASL sign-in that cannot start or ends with a refusal (the layer's own).
inline constexpr const char* kTextSaslNeedsTls =
    "Die Anmeldung mit einem Zugangstoken erfolgt nur über eine verschlüsselte Verbindung; es "
    "wurde nichts gesendet";
inline constexpr const char* kTextSaslNotOffered = "Der Server bietet diese Anmeldung nicht an";
inline constexpr const char* kTextSaslNoContinuation =
    "Der Server hat die Anmeldung mit einem Zugangstoken nicht begonnen";
inline constexpr const char* kTextTokenRefused = "Der Anbieter hat das Zugangstoken abgelehnt";
inline constexpr const char* kTextChallengeUnreadable =
    "Der Server hat die Anmeldung mit einer unlesbaren Begründung abgelehnt";
