#include "CertificateTexts.h"

#include "CertificateInfo.h"
#include "TextPair.h"

#include <openssl/x509_vfy.h>

#include <utility>

namespace {

const std::pair<long, TText> kReasons[] = {
    {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT,
     {"Das Zertifikat des Ausstellers wurde nicht gefunden.",
      "The issuer's certificate could not be found."}},
    {X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY,
     {"Der Aussteller des Zertifikats ist auf diesem Rechner nicht als vertrauenswürdig bekannt.",
      "The certificate's issuer is not known as trustworthy on this computer."}},
    {X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE,
     {"Die Unterschrift des Zertifikats kann nicht geprüft werden: der Server schickt die "
      "Kette seiner Aussteller nicht mit.",
      "The certificate's signature cannot be checked: the server does not send the chain of "
      "its issuers."}},
    {X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT,
     {"Das Zertifikat ist selbst ausgestellt: niemand außer dem Server bürgt dafür.",
      "The certificate is self-signed: nobody but the server vouches for it."}},
    {X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN,
     {"Die Kette des Zertifikats endet bei einem selbst ausgestellten Zertifikat, dem dieser "
      "Rechner nicht vertraut.",
      "The certificate's chain ends in a self-signed certificate that this computer does not "
      "trust."}},
    {X509_V_ERR_CERT_HAS_EXPIRED,
     {"Das Zertifikat ist abgelaufen.", "The certificate has expired."}},
    {X509_V_ERR_CERT_NOT_YET_VALID,
     {"Das Zertifikat ist noch nicht gültig (oder die Uhr dieses Rechners geht falsch).",
      "The certificate is not valid yet (or this computer's clock is wrong)."}},
    {X509_V_ERR_HOSTNAME_MISMATCH,
     {"Das Zertifikat gehört zu einem anderen Servernamen.",
      "The certificate belongs to another server name."}},
    {X509_V_ERR_IP_ADDRESS_MISMATCH,
     {"Das Zertifikat gehört zu einer anderen IP-Adresse.",
      "The certificate belongs to another IP address."}},
    {X509_V_ERR_CERT_REVOKED,
     {"Das Zertifikat wurde von seinem Aussteller widerrufen.",
      "The certificate has been revoked by its issuer."}},
    {X509_V_ERR_CERT_SIGNATURE_FAILURE,
     {"Die Unterschrift des Zertifikats ist ungültig.", "The certificate's signature is invalid."}},
    {X509_V_ERR_CERT_CHAIN_TOO_LONG,
     {"Die Kette der Aussteller ist zu lang.", "The chain of issuers is too long."}},
    {X509_V_ERR_INVALID_CA,
     {"Ein Aussteller in der Kette darf keine Zertifikate ausstellen.",
      "An issuer in the chain may not issue certificates."}},
    {X509_V_ERR_INVALID_PURPOSE,
     {"Das Zertifikat ist nicht für Server bestimmt.",
      "The certificate is not meant for servers."}},
    {X509_V_ERR_CERT_UNTRUSTED,
     {"Diesem Zertifikat wird für Server nicht vertraut.",
      "This certificate is not trusted for servers."}},
    {X509_V_ERR_CERT_REJECTED,
     {"Das Zertifikat ist für Server ausdrücklich abgelehnt.",
      "The certificate is explicitly rejected for servers."}},
    {X509_V_ERR_EE_KEY_TOO_SMALL,
     {"Der Schlüssel des Zertifikats ist zu kurz, um sicher zu sein.",
      "The certificate's key is too short to be safe."}},
    {X509_V_ERR_CA_KEY_TOO_SMALL,
     {"Der Schlüssel eines Ausstellers ist zu kurz, um sicher zu sein.",
      "An issuer's key is too short to be safe."}},
    {X509_V_ERR_CA_MD_TOO_WEAK,
     {"Das Zertifikat ist mit einem zu schwachen Verfahren unterschrieben.",
      "The certificate is signed with too weak an algorithm."}},
};

constexpr TText kNoCertificate{"Der Server hat kein Zertifikat geschickt.",
                               "The server sent no certificate."};
constexpr TText kOther{"Das Zertifikat konnte nicht überprüft werden.",
                       "The certificate could not be verified."};

} // namespace

QString VerifyReasonText(long code, bool germanUI) {
    const TText* reason = code == TCertificateInfo::NoCertificate ? &kNoCertificate : &kOther;
    for (const auto& [known, text] : kReasons) {
        if (known == code)
            reason = &text;
    }
    return QString::fromUtf8(Pick(*reason, germanUI));
}
