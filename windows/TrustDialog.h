#pragma once

#include "CertificateInfo.h"

#include <QDialog>

class QLabel;
class QPushButton;

// Asks whether to trust a server certificate that could not be verified, before anything is
// sent to that server. Accepted: "trust this certificate for this server"; rejected: cancel.
// A certificate that differs from the one trusted before is shown with a warning.
class TTrustDialog : public QDialog {
    Q_OBJECT
public:
    TTrustDialog(const TCertificateInfo& certificate, bool germanUI, QWidget* parent);

    QLabel* lbl_changed; // the warning, shown only for a changed certificate
    QLabel* lbl_server;
    QLabel* lbl_subject;
    QLabel* lbl_issuer;
    QLabel* lbl_valid_from;
    QLabel* lbl_valid_until;
    QLabel* lbl_fingerprint;
    QLabel* lbl_reason; // why it could not be verified, in the window's language
    QLabel* lbl_error;  // OpenSSL's own words, as the detail
    QPushButton* btn_trust;
    QPushButton* btn_cancel;
};

// Shows the dialog modally; true when the user trusts the certificate.
bool AskTrustCertificate(QWidget* parent, const TCertificateInfo& certificate, bool germanUI);
