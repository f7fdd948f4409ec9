#pragma once

#include <QLabel>

// The status bar's word on the open session: a lock while it is encrypted (its tooltip names
// TLS version, cipher and certificate subject), a warning while it travels in plain text,
// nothing while no session is open.
class TSecurityIndicator : public QLabel {
    Q_OBJECT
public:
    enum class TShown { Closed, Encrypted, Plain };

    explicit TSecurityIndicator(QWidget* parent);

    void ShowEncrypted(const QString& summary, bool germanUI);
    void ShowPlain(bool germanUI);
    void ShowClosed();
    TShown Shown() const { return FShown; }

private:
    TShown FShown = TShown::Closed;
};
