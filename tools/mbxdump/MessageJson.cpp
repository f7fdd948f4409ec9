#include "MessageJson.h"

#include <vector>

#include "JsonText.h"

namespace {

std::string jsonArray(const std::vector<std::string>& lines) {
    std::string out = "[";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += ",";
        out += JsonString(lines[i]);
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
    field("from", JsonString(msg.From));
    field("sender", JsonString(msg.Sender));
    field("messageId", JsonString(msg.MessageID));
    field("inReplyTo", JsonString(msg.InReplyTo));
    field("returnPath", JsonString(msg.ReturnPath));
    field("replyTo", JsonString(msg.ReplyTo));
    field("sendTo", JsonString(msg.SendTo));
    field("cc", JsonString(msg.CC));
    field("date", JsonString(msg.Date));
    field("subject", JsonString(msg.Subject));
    field("contentType", JsonString(msg.ContentType));
    field("contentTransferEncoding", JsonString(msg.ContentTransferEncoding));
    field("headers", jsonArray(msg.Headers));
    field("text", jsonArray(msg.Text));
    std::string attachments = "[";
    for (int i = 0; i < msg.Attachments.Count(); ++i) {
        const TAttachedFile& a = msg.Attachments.Items(i);
        if (i > 0)
            attachments += ",";
        attachments += "\n {\"fileName\":" + JsonString(a.FileName) +
                       ",\"pathName\":" + JsonString(a.PathName) +
                       ",\"contentType\":" + JsonString(a.ContentType) +
                       ",\"size\":" + std::to_string(a.Data.size()) + ",\"sha256\":\"" +
                       Sha256Hex(a.Data) + "\"}";
    }
    field("attachments", attachments + "]");
    return out + "}\n";
}
