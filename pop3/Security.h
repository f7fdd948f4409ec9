#pragma once

// How a session protects itself: TLS from the first byte, STLS on a plain port, plain text, or
// (Auto) the best the server offers, never dropping to plain text without consent.

#include <optional>
#include <string>

enum class TSecurity { Auto, Tls, StartTls, None };

// "auto", "tls", "starttls", "none"; the names used in settings and on the command line.
std::string SecurityName(TSecurity security);
// The mode of a name (case-insensitive); nothing for an unknown name.
std::optional<TSecurity> SecurityFromName(const std::string& name);
// The ports used when none is given.
struct TDefaultPorts {
    int Tls = 995;   // Auto and Tls
    int Plain = 110; // StartTls and None, and Auto's second attempt
};
// The port a mode uses when none is given: the TLS port for Auto and Tls, else the plain one.
int DefaultPort(TSecurity security, const TDefaultPorts& ports = {});

// Texts of the failures of a secure connect (the layer's own, as the socket's).
inline constexpr const char* kTextCertificateUntrusted =
    "Das Zertifikat des Servers ist nicht vertrauenswürdig";
inline constexpr const char* kTextNoEncryption =
    "Der Server bietet keine Verschlüsselung an (kein STLS); ohne Zustimmung wird nichts "
    "unverschlüsselt gesendet";
inline constexpr const char* kTextStlsNotOffered = "Der Server bietet kein STLS an";
inline constexpr const char* kTextStlsRefused = "Der Server hat STLS abgelehnt";
inline constexpr const char* kTextInjected =
    "Nach der Antwort auf STLS kamen Daten vor dem TLS-Handshake; die Verbindung wird nicht "
    "verwendet";
inline constexpr const char* kTextNoGreeting =
    "Der Server hat keine Begrüßung gesendet (er erwartet wohl TLS)";
