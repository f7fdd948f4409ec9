#include "RowIds.h"

void TRowIds::MailListed(const TListedMail& mail, TMailAnswer& answer) {
    answer.Row.Id = mail.Id;
}
