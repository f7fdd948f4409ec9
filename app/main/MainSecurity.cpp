// The connection's security as the window handles it: the mode chosen in the login row, the
// questions the POP3 component asks while connecting, and the status bar's word on it.
#include "ByteText.h"
#include "Main.h"
#include "PlainTextQuestion.h"
#include "SecurityChoice.h"
#include "SecurityIndicator.h"
#include "SecurityTexts.h"
#include "ServerAddress.h"
#include "TrustDialog.h"

#include <QComboBox>

void TForm1::WireSecurity() {
    pop3.OnCertificateProblem = [this](const TCertificateInfo& certificate) {
        return pop3CertificateProblem(certificate);
    };
    pop3.OnPlainTextConsent = [this](const std::string& host, int port) {
        return pop3PlainTextConsent(host, port);
    };
    pop3.OnQuit = [this](TObject*) { Status_sicherheit->ShowClosed(); };
}

void TForm1::ApplySecurityTexts() {
    Label4->setText(Tr(Texts::SecurityLabel, GermanUI()));
    FillSecurityChoice(*Sicherheit, GermanUI());
    Sicherheit->setToolTip(Tr(Texts::TipSecurity, GermanUI()));
}

bool TForm1::PrepareSecurity() {
    const auto address = ParseServerAddress(ToBytes(servername->currentText().trimmed()));
    if (!address) {
        StatusClear();
        StatusAppendText(Texts::BadServer);
        return false;
    }
    const TSecurity security = ChosenSecurity(*Sicherheit);
    pop3.Host = address->Host;
    pop3.Port = address->Port;
    pop3.Security = security;
    const int port =
        address->Port.empty() ? DefaultPort(security, pop3.DefaultPorts) : std::stoi(address->Port);
    pop3.TrustedFingerprint = TrustedCertificates.Fingerprint(address->Host, port);
    FSecurityDeclined = false;
    return true;
}

bool TForm1::pop3CertificateProblem(const TCertificateInfo& Certificate) {
    // Automatic mode may end up on another port than the one looked up before connecting.
    const std::string trusted = TrustedCertificates.Fingerprint(Certificate.Host, Certificate.Port);
    if (!trusted.empty() &&
        QString::fromStdString(trusted).compare(QString::fromStdString(Certificate.Fingerprint),
                                                Qt::CaseInsensitive) == 0)
        return true;
    TCertificateInfo shown = Certificate;
    shown.Changed = !trusted.empty();
    if (!AskTrustCertificate(this, shown, GermanUI())) {
        FSecurityDeclined = true;
        return false;
    }
    TrustedCertificates.Trust(Certificate.Host, Certificate.Port, Certificate.Fingerprint);
    return true;
}

bool TForm1::pop3PlainTextConsent(const std::string& Host, int Port) {
    if (AskConnectUnencrypted(this, FromBytes(JoinHostPort(Host, Port)), GermanUI()))
        return true;
    FSecurityDeclined = true;
    return false;
}

void TForm1::ReportOpenFailure() {
    if (FSecurityDeclined) {
        StatusClear();
        StatusAppendText(Texts::SecurityDeclined);
        return;
    }
    const bool timedOut = pop3.OpenCause() == TFailureCause::Timeout;
    ReportConnectFailure(pop3.OpenCause(), pop3.OpenError(),
                         timedOut ? pop3.ConnectTimeout : pop3.ReceiveTimeout);
}

void TForm1::ShowSessionSecurity() {
    // The mode that worked is the account's mode from now on (plain text after consent).
    ChooseSecurity(*Sicherheit, pop3.UsedSecurity());
    if (pop3.UsedSecurity() == TSecurity::None)
        Status_sicherheit->ShowPlain(GermanUI());
    else
        Status_sicherheit->ShowEncrypted(QString::fromUtf8(pop3.TlsSummary()), GermanUI());
}
