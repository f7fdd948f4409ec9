#include "OAuth2ProviderDialog.h"

#include "SignInTexts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

TOAuth2ProviderDialog::TOAuth2ProviderDialog(QWidget* parent, const QString& host,
                                             const TOAuth2Provider& current, bool germanUI)
    : QDialog(parent) {
    setObjectName(QStringLiteral("OAuth2ProviderDialog"));
    setWindowTitle(Tr(Texts::ProviderTitle, germanUI).arg(host));
    auto* form = new QFormLayout(this);
    const std::array<QString, 5> values{current.AuthorizeUrl, current.TokenUrl, current.ClientId,
                                        current.ClientSecret, current.Scopes};
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        Fields[i] = new QLineEdit(values[i], this);
        Fields[i]->setMinimumWidth(360);
        form->addRow(Tr(Texts::ProviderFields[i], germanUI), Fields[i]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TOAuth2Provider TOAuth2ProviderDialog::Provider() const {
    return {Fields[0]->text().trimmed(), Fields[1]->text().trimmed(), Fields[2]->text().trimmed(),
            Fields[3]->text().trimmed(), Fields[4]->text().simplified()};
}
