#include "OAuthSasl.h"

#include <string_view>

#include <nlohmann/json.hpp>
#include <openssl/evp.h>
#include <strings.h>

#include "mbx_util.h"

namespace {

struct NamedMethod {
    TAuthMethod method;
    const char* name;
    const char* mechanism;
};

constexpr NamedMethod kMethods[] = {
    {TAuthMethod::Password, "password", ""},
    {TAuthMethod::XOAuth2, "xoauth2", "XOAUTH2"},
    {TAuthMethod::OAuthBearer, "oauthbearer", "OAUTHBEARER"},
};

const NamedMethod& Named(TAuthMethod method) {
    for (const auto& m : kMethods)
        if (m.method == method)
            return m;
    return kMethods[0];
}

std::string Base64(std::string_view bytes) {
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(bytes.data()),
                                  static_cast<int>(bytes.size()));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

// The authorization identity of the GS2 header: "," and "=" are escaped (RFC 5801).
std::string SaslName(const std::string& user) {
    std::string out;
    for (const char c : user)
        out += c == ',' ? std::string("=2C") : c == '=' ? std::string("=3D") : std::string(1, c);
    return out;
}

// A member as text: strings as they stand, numbers and other scalars in JSON notation.
std::string Member(const nlohmann::json& object, const char* name) {
    const auto it = object.find(name);
    if (it == object.end() || it->is_null() || it->is_structured())
        return {};
    return it->is_string() ? it->get<std::string>() : it->dump();
}

bool IsBase64(std::string_view text) {
    for (const char c : text) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter && !(c >= '0' && c <= '9') && c != '+' && c != '/' && c != '=')
            return false;
    }
    return text.size() % 4 == 0;
}

} // namespace

std::string AuthMethodName(TAuthMethod method) {
    return Named(method).name;
}

std::optional<TAuthMethod> AuthMethodFromName(const std::string& name) {
    for (const auto& m : kMethods)
        if (::strcasecmp(m.name, name.c_str()) == 0)
            return m.method;
    return std::nullopt;
}

const char* SaslMechanism(TAuthMethod method) {
    return Named(method).mechanism;
}

std::string OAuthInitialResponse(TAuthMethod method, const TOAuthTarget& target,
                                 const std::string& token) {
    const std::string bearer = "auth=Bearer " + token + "\x01\x01";
    if (method == TAuthMethod::XOAuth2)
        return Base64("user=" + target.User + "\x01" + bearer);
    return Base64("n,a=" + SaslName(target.User) + ",\x01host=" + target.Host +
                  "\x01port=" + std::to_string(target.Port) + "\x01" + bearer);
}

std::string OAuthFailureResponse(TAuthMethod method) {
    // RFC 7628 asks for a lone %x01; XOAUTH2 for an empty response.
    return method == TAuthMethod::OAuthBearer ? Base64("\x01") : std::string();
}

std::optional<std::string> ContinuationPayload(const std::string& line) {
    const std::string_view text(line);
    const size_t eol = text.find("\r\n");
    if (eol == std::string_view::npos || text.empty() || text[0] != '+' ||
        (eol > 1 && text[1] != ' '))
        return std::nullopt;
    const std::string_view payload = eol > 1 ? text.substr(2, eol - 2) : std::string_view();
    return std::string(payload.substr(0, payload.find_last_not_of(' ') + 1));
}

TOAuthRefusal ReadOAuthChallenge(const std::string& base64) {
    TOAuthRefusal refusal;
    if (base64.empty() || !IsBase64(base64))
        return refusal;
    std::string decoded;
    TBase64DecodingStream(decoded).Write(base64);
    const nlohmann::json object = nlohmann::json::parse(decoded, nullptr, false);
    if (!object.is_object())
        return refusal;
    refusal.Readable = true;
    refusal.Status = Member(object, "status");
    refusal.Error = Member(object, "error");
    refusal.Schemes = Member(object, "schemes");
    refusal.Scope = Member(object, "scope");
    return refusal;
}

std::string OAuthRefusalText(const TOAuthRefusal& refusal) {
    if (!refusal.Readable)
        return kTextChallengeUnreadable;
    std::string why;
    for (const std::string* part : {&refusal.Status, &refusal.Error})
        if (!part->empty())
            why += (why.empty() ? "" : ", ") + *part;
    if (!refusal.Scope.empty())
        why = why.empty() ? "scope " + refusal.Scope : why + " (scope " + refusal.Scope + ")";
    return std::string(kTextTokenRefused) + (why.empty() ? "" : ": " + why);
}
