#include "TrustDialog.h"

#include "CertificateTexts.h"
#include "TextPair.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QString Text(const TText& text, bool german) {
    return QString::fromUtf8(Pick(text, german));
}

constexpr TText Title{"Zertifikat des Servers - InboxPruner -",
                      "Server certificate - InboxPruner -"};
constexpr TText Changed{
    "ACHTUNG: Das Zertifikat dieses Servers hat sich geändert, seit Sie ihm vertraut haben! "
    "Vielleicht hat der Anbieter es erneuert - es kann aber auch jemand die Verbindung "
    "abfangen. Vertrauen Sie ihm nur, wenn Sie sicher sind, dass die Änderung echt ist.",
    "WARNING: The certificate of this server has changed since you trusted it! The provider "
    "may have renewed it - but someone may also be intercepting the connection. Trust it only "
    "if you are sure that the change is genuine."};
constexpr TText Intro{
    "Das Zertifikat des Servers konnte nicht überprüft werden. Bisher wurde nichts an den "
    "Server gesendet, auch nicht Ihr Passwort.",
    "The server's certificate could not be verified. Nothing has been sent to the server yet, "
    "not even your password."};
constexpr TText Server{"Server:", "Server:"};
constexpr TText Subject{"Inhaber:", "Subject:"};
constexpr TText Issuer{"Aussteller:", "Issuer:"};
constexpr TText ValidFrom{"Gültig ab:", "Valid from:"};
constexpr TText ValidUntil{"Gültig bis:", "Valid until:"};
constexpr TText Fingerprint{"SHA-256-Fingerabdruck:", "SHA-256 fingerprint:"};
constexpr TText Problem{"Fehler:", "Problem:"};
constexpr TText Trust{"Diesem Zertifikat für diesen Server &vertrauen",
                      "&Trust this certificate for this server"};
constexpr TText Cancel{"Abbrechen", "Cancel"};

// Certificate texts come from the server: shown as plain text, never as markup.
QLabel* Field(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return label;
}

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// 32 pairs in one line are too wide; two lines of 16 read well.
QString FingerprintLines(const std::string& fingerprint) {
    QString text = FromUtf8(fingerprint);
    constexpr int PairsPerLine = 16;
    const qsizetype split = PairsPerLine * 3 - 1;
    if (text.size() > split && text.at(split) == u':')
        text.replace(split, 1, QStringLiteral(":\n"));
    return text;
}

QString ServerText(const TCertificateInfo& certificate) {
    const QString host = FromUtf8(certificate.Host);
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return shownHost + u':' + QString::number(certificate.Port);
}

} // namespace

TTrustDialog::TTrustDialog(const TCertificateInfo& certificate, bool germanUI, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("TrustDialog"));
    setWindowTitle(Text(Title, germanUI));
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    lbl_changed = Field(this, "lbl_changed", Text(Changed, germanUI));
    QFont bold = lbl_changed->font();
    bold.setBold(true);
    lbl_changed->setFont(bold);
    QPalette red = lbl_changed->palette();
    red.setColor(QPalette::WindowText, QColor(176, 0, 0));
    lbl_changed->setPalette(red);
    lbl_changed->setVisible(certificate.Changed);
    layout->addWidget(lbl_changed);
    layout->addWidget(Field(this, "lbl_intro", Text(Intro, germanUI)));

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    lbl_server = Field(this, "lbl_server", ServerText(certificate));
    lbl_subject = Field(this, "lbl_subject", FromUtf8(certificate.Subject));
    lbl_issuer = Field(this, "lbl_issuer", FromUtf8(certificate.Issuer));
    lbl_valid_from = Field(this, "lbl_valid_from", FromUtf8(certificate.NotBefore));
    lbl_valid_until = Field(this, "lbl_valid_until", FromUtf8(certificate.NotAfter));
    lbl_fingerprint = Field(this, "lbl_fingerprint", FingerprintLines(certificate.Fingerprint));
    lbl_fingerprint->setWordWrap(false);
    lbl_fingerprint->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    lbl_reason = Field(this, "lbl_reason", VerifyReasonText(certificate.VerifyCode, germanUI));
    lbl_reason->setFont(bold);
    // OpenSSL's words below it, as the detail.
    lbl_error = Field(this, "lbl_error", FromUtf8(certificate.VerifyError));
    const std::pair<const TText*, QLabel*> rows[] = {
        {&Server, lbl_server},          {&Subject, lbl_subject},
        {&Issuer, lbl_issuer},          {&ValidFrom, lbl_valid_from},
        {&ValidUntil, lbl_valid_until}, {&Fingerprint, lbl_fingerprint},
        {&Problem, lbl_reason},
    };
    for (const auto& [caption, field] : rows)
        form->addRow(Text(*caption, germanUI), field);
    form->addRow(QString(), lbl_error);
    layout->addLayout(form);

    auto* buttons = new QDialogButtonBox(this);
    btn_trust = buttons->addButton(Text(Trust, germanUI), QDialogButtonBox::AcceptRole);
    btn_trust->setObjectName(QStringLiteral("btn_trust"));
    btn_cancel = buttons->addButton(Text(Cancel, germanUI), QDialogButtonBox::RejectRole);
    btn_cancel->setObjectName(QStringLiteral("btn_cancel"));
    // Enter must not trust by accident.
    btn_trust->setAutoDefault(false);
    btn_cancel->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    btn_cancel->setFocus();
    setMinimumWidth(480);
}

bool AskTrustCertificate(QWidget* parent, const TCertificateInfo& certificate, bool germanUI) {
    TTrustDialog dialog(certificate, germanUI, parent);
    return dialog.exec() == QDialog::Accepted;
}
