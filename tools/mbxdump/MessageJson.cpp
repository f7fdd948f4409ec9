#include "MessageJson.h"

#include <vector>

#include "JsonText.h"
#include "LargeBuffer.h"

namespace {

// Everything is appended to one text: the text lines of a large mail make megabytes of JSON.
void appendKey(std::string& out, const char* key) {
    if (out.size() > 1)
        out += ",\n";
    out += "\"";
    out += key;
    out += "\":";
}

void appendArray(std::string& out, const std::vector<std::string>& lines) {
    out += "[";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += ",";
        out += JsonString(lines[i]);
    }
    out += "]";
}

} // namespace

std::string MessageJson(const TMbxMsg& msg) {
    size_t estimate = 4096;
    for (const auto* lines : {&msg.Headers, &msg.Text})
        for (const std::string& line : *lines)
            estimate += line.size() + line.size() / 8 + 3;
    std::string out;
    ReserveLarge(out, estimate);
    out = "{";
    const auto field = [&out](const char* key, const std::string& value) {
        appendKey(out, key);
        out += JsonString(value);
    };
    field("from", msg.From);
    field("sender", msg.Sender);
    field("messageId", msg.MessageID);
    field("inReplyTo", msg.InReplyTo);
    field("returnPath", msg.ReturnPath);
    field("replyTo", msg.ReplyTo);
    field("sendTo", msg.SendTo);
    field("cc", msg.CC);
    field("date", msg.Date);
    field("subject", msg.Subject);
    field("contentType", msg.ContentType);
    field("contentTransferEncoding", msg.ContentTransferEncoding);
    appendKey(out, "headers");
    appendArray(out, msg.Headers);
    appendKey(out, "text");
    appendArray(out, msg.Text);
    appendKey(out, "attachments");
    out += "[";
    for (int i = 0; i < msg.Attachments.Count(); ++i) {
        const TAttachedFile& a = msg.Attachments.Items(i);
        if (i > 0)
            out += ",";
        out += "\n {\"fileName\":" + JsonString(a.FileName) +
               ",\"pathName\":" + JsonString(a.PathName) +
               ",\"contentType\":" + JsonString(a.ContentType) +
               ",\"size\":" + std::to_string(a.Data.size()) + ",\"sha256\":\"" + Sha256Hex(a.Data) +
               "\"}";
    }
    out += "]}\n";
    return out;
}
