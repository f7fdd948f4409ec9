#pragma once

#include "OAuth2Providers.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;

// The OAuth2 provider of one server, as the user enters it: endpoints, client id and secret,
// scopes. Prefilled with what is known for the server; OK takes only entries a sign-in can
// use and says what is wrong with the others.
class TOAuth2ProviderDialog : public QDialog {
    Q_OBJECT
public:
    TOAuth2ProviderDialog(QWidget* parent, const QString& host, const TOAuth2Provider& current,
                          bool germanUI);

    TOAuth2Provider Provider() const;
    void accept() override;

    // In the order of the fields: authorization URL, token URL, client id, secret, scopes.
    std::array<QLineEdit*, 5> Fields{};
    // What keeps OK from taking the entries; hidden while there is nothing.
    QLabel* Problem = nullptr;

private:
    bool germanUI_;
};
