#pragma once

#include "Component.h"
#include "TrustedCertificates.h"

#include <string>

class QComboBox;
class QLabel;
class TFrame;
class TSecurityIndicator;
struct TCertificateInfo;

// The connection's security: the mode chosen in the login row (each account's mode with it),
// the questions the POP3 session asks while connecting (a certificate to trust, plain text to
// consent to), and the status bar's word on the open session.
class TConnectionSecurity : public TComponent {
public:
    explicit TConnectionSecurity(TFrame& frame);
    ~TConnectionSecurity() override;

    void LanguageChanged(bool germanUI) override;
    void AccountChosen(int account) override;
    // Host, port, mode and trusted fingerprint from the login row into the session; false (with
    // the reason in the status label) when the server field cannot be read.
    bool PrepareConnect() override;
    bool OpenFailed() override;
    void Opened() override;

    // A certificate that cannot be verified: true when the user trusts it for this server.
    bool CertificateProblem(const TCertificateInfo& certificate);
    // Automatic mode, no encryption offered: true when the user consents to plain text.
    bool PlainTextConsent(const std::string& host, int port);

    QLabel* Caption;
    QComboBox* Choice;
    TSecurityIndicator* Indicator;
    TTrustedCertificates Trusted;

private:
    TFrame& frame_;
    // The user declined a certificate or plain text during the current connect.
    bool declined_ = false;
};
