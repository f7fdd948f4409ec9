#include "ConnectionSecurity.h"

#include "AccountHistory.h"
#include "ByteText.h"
#include "Frame.h"
#include "MbxPOP3.h"
#include "PlainTextQuestion.h"
#include "SecurityChoice.h"
#include "SecurityIndicator.h"
#include "SecurityTexts.h"
#include "ServerAddress.h"
#include "TrustDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

TConnectionSecurity::TConnectionSecurity(TFrame& frame) : Trusted(frame.Settings()), frame_(frame) {
    const TFrame::TLoginChoice choice = frame.AddLoginChoice("Label4", "Sicherheit", 108);
    Caption = &choice.Caption;
    Choice = &choice.Field;
    FillSecurityChoice(*Choice, false);
    Indicator = new TSecurityIndicator(&frame.StatusBar());
    frame.StatusBar().addPermanentWidget(Indicator);

    TMbxPOP& pop3 = frame.Session();
    pop3.OnCertificateProblem = [this](const TCertificateInfo& certificate) {
        return CertificateProblem(certificate);
    };
    pop3.OnPlainTextConsent = [this](const std::string& host, int port) {
        return PlainTextConsent(host, port);
    };
    pop3.OnQuit = [this](TObject*) { Indicator->ShowClosed(); };
}

TConnectionSecurity::~TConnectionSecurity() {
    // The session outlives this component.
    TMbxPOP& pop3 = frame_.Session();
    pop3.OnCertificateProblem = nullptr;
    pop3.OnPlainTextConsent = nullptr;
    pop3.OnQuit = nullptr;
}

void TConnectionSecurity::LanguageChanged(bool germanUI) {
    Caption->setText(Tr(Texts::SecurityLabel, germanUI));
    FillSecurityChoice(*Choice, germanUI);
    Choice->setToolTip(Tr(Texts::TipSecurity, germanUI));
}

void TConnectionSecurity::AccountChosen(int account) {
    if (account >= 0 && account < frame_.History().ServerHistory().size())
        ChooseSecurity(*Choice, frame_.History().Security(account));
}

bool TConnectionSecurity::PrepareConnect() {
    const auto address = ParseServerAddress(ToBytes(frame_.ServerText()));
    if (!address) {
        frame_.StatusClear();
        frame_.StatusAppendText(Texts::BadServer);
        return false;
    }
    const TSecurity security = ChosenSecurity(*Choice);
    TMbxPOP& pop3 = frame_.Session();
    pop3.Host = address->Host;
    pop3.Port = address->Port;
    pop3.Security = security;
    const int port =
        address->Port.empty() ? DefaultPort(security, pop3.DefaultPorts) : std::stoi(address->Port);
    pop3.TrustedFingerprint = Trusted.Fingerprint(address->Host, port);
    declined_ = false;
    return true;
}

bool TConnectionSecurity::CertificateProblem(const TCertificateInfo& certificate) {
    // Automatic mode may end up on another port than the one looked up before connecting.
    const std::string trusted = Trusted.Fingerprint(certificate.Host, certificate.Port);
    if (!trusted.empty() &&
        QString::fromStdString(trusted).compare(QString::fromStdString(certificate.Fingerprint),
                                                Qt::CaseInsensitive) == 0)
        return true;
    TCertificateInfo shown = certificate;
    shown.Changed = !trusted.empty();
    if (!AskTrustCertificate(&frame_.Window(), shown, frame_.GermanUI())) {
        declined_ = true;
        return false;
    }
    Trusted.Trust(certificate.Host, certificate.Port, certificate.Fingerprint);
    return true;
}

bool TConnectionSecurity::PlainTextConsent(const std::string& host, int port) {
    if (AskConnectUnencrypted(&frame_.Window(), FromBytes(JoinHostPort(host, port)),
                              frame_.GermanUI()))
        return true;
    declined_ = true;
    return false;
}

bool TConnectionSecurity::OpenFailed() {
    if (!declined_)
        return false;
    frame_.StatusClear();
    frame_.StatusAppendText(Texts::SecurityDeclined);
    return true;
}

void TConnectionSecurity::Opened() {
    // The mode that worked is the account's mode from now on (plain text after consent).
    const TMbxPOP& pop3 = frame_.Session();
    ChooseSecurity(*Choice, pop3.UsedSecurity());
    if (pop3.UsedSecurity() == TSecurity::None)
        Indicator->ShowPlain(frame_.GermanUI());
    else
        Indicator->ShowEncrypted(QString::fromUtf8(pop3.TlsSummary()), frame_.GermanUI());
}
