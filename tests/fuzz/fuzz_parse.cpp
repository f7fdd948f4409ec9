// Parse must take any bytes without an error. After a parse the raw lines are gone, every text
// line is free of line breaks and NUL bytes, which the message window relies on, and every
// text the library hands out (text, fields, attachment names) is valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "Charset.h"
#include "MbxMIME.h"
#include "MbxMsg.h"

namespace {

void checkText(const std::string& text) {
    if (!IsValidUtf8(text))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMbxMsg msg;
    // The input outlives the parse, so it is seen in place as a mapped file is.
    msg.RawMail = MailLines(std::string_view(reinterpret_cast<const char*>(data), size),
                            std::make_shared<int>(0));
    msg.Parse();
    if (!msg.RawMail.empty())
        std::abort();
    for (const auto& line : msg.Text) {
        if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
            std::abort();
        checkText(line);
    }
    for (const std::string* field : {&msg.From, &msg.Sender, &msg.MessageID, &msg.InReplyTo,
                                     &msg.ReturnPath, &msg.ReplyTo, &msg.SendTo, &msg.CC, &msg.Date,
                                     &msg.Subject, &msg.ContentType, &msg.ContentTransferEncoding})
        checkText(*field);
    for (int i = 0; i < msg.Attachments.Count(); ++i)
        checkText(msg.Attachments.Items(i).FileName);
    return 0;
}
