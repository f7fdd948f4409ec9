#pragma once

#include "Component.h"

#include <QObject>

#include <cstdint>

class QAction;
class TFrame;

// Copies of deleted mail: the option in the Server menu (with the largest mail that gets one
// and how long they are kept, from the settings), the deletion that writes a copy of each mail
// before its DELE, the removal of expired copies at start, and the window of recently deleted
// mails.
class TCopiesOfDeleted : public QObject, public TComponent {
    Q_OBJECT
public:
    explicit TCopiesOfDeleted(TFrame& frame);

    void LanguageChanged(bool germanUI) override;
    void WriteSettings() override;
    // What the confirmation says of copies: how long they are kept, how many mails get none.
    QString DeletionNote() const override;
    // Copies first, then the DELEs, of the mails that got a copy or are over the limit.
    bool DeleteMails(const std::vector<TMsgNumber>& numbers, TDeletionRun& run) override;

    QAction* Keep;   // keep a copy of each deleted mail (checkable)
    QAction* Recent; // the window of recently deleted mails

    bool KeepCopies() const;
    uint64_t KeepCopiesLimit() const;
    void OpenRecentlyDeleted();

private:
    // Copies older than their retention go.
    void RemoveExpiredCopies();

    TFrame& frame_;
    int limitMB_ = 25;
    int days_ = 30;
};
