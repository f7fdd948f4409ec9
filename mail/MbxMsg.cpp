#include "MbxMsg.h"

#include "MbxMIME.h"

void TMbxMsg::Parse() {
    if (RawMail.empty())
        return;
    size_t i = 0;
    while (i < RawMail.size() && !RawMail[i].empty())
        Headers.push_back(RawMail[i++]);
    ContentType = "TEXT/PLAIN";
    ContentTransferEncoding = "7BIT";
    while (i < RawMail.size() && Trim(RawMail[i]).empty())
        ++i;
    Text.insert(Text.end(), RawMail.begin() + static_cast<std::ptrdiff_t>(i), RawMail.end());
    if (ClearRawMailAfterParse)
        RawMail.clear();
}
