#include "MessageJson.h"

#include <vector>

#include "JsonText.h"

namespace {

std::string jsonArray(const std::vector<std::string>& lines) {
    std::string out = "[";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += ",";
        out += JsonLatin1String(lines[i]);
    }
    return out + "]";
}

} // namespace

std::string MessageJson(const TMbxMsg& msg) {
    std::string out = "{";
    const auto field = [&out](const char* key, const std::string& json) {
        if (out.size() > 1)
            out += ",\n";
        out += "\"";
        out += key;
        out += "\":";
        out += json;
    };
    field("from", JsonLatin1String(msg.From));
    field("sender", JsonLatin1String(msg.Sender));
    field("messageId", JsonLatin1String(msg.MessageID));
    field("inReplyTo", JsonLatin1String(msg.InReplyTo));
    field("returnPath", JsonLatin1String(msg.ReturnPath));
    field("replyTo", JsonLatin1String(msg.ReplyTo));
    field("sendTo", JsonLatin1String(msg.SendTo));
    field("cc", JsonLatin1String(msg.CC));
    field("date", JsonLatin1String(msg.Date));
    field("subject", JsonLatin1String(msg.Subject));
    field("contentType", JsonLatin1String(msg.ContentType));
    field("contentTransferEncoding", JsonLatin1String(msg.ContentTransferEncoding));
    field("headers", jsonArray(msg.Headers));
    field("text", jsonArray(msg.Text));
    std::string attachments = "[";
    for (int i = 0; i < msg.Attachments.Count(); ++i) {
        const TAttachedFile& a = msg.Attachments.Items(i);
        if (i > 0)
            attachments += ",";
        attachments += "\n {\"fileName\":" + JsonLatin1String(a.FileName) +
                       ",\"pathName\":" + JsonLatin1String(a.PathName) +
                       ",\"contentType\":" + JsonLatin1String(a.ContentType) +
                       ",\"size\":" + std::to_string(a.Data.size()) + ",\"sha256\":\"" +
                       Sha256Hex(a.Data) + "\"}";
    }
    field("attachments", attachments + "]");
    return out + "}\n";
}
