#pragma once

#include "Component.h"

// Each row keeps its mail's unique id, so that Delete in a later session (the server dropped
// the one of the listing) finds the marked mails by id whatever their numbers are now.
class TRowIds : public TComponent {
public:
    void MailListed(const TListedMail& mail, TMailAnswer& answer) override;
};
