// mbxdump FILE: reads a raw message as the POP3 client hands it over (its lines), parses it
// and prints the fields, text and attachments as one JSON object.
// Exit status: 0 done, 1 the file cannot be read (or usage), 2 the uudecoding error.
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "JsonText.h"
#include "MbxMIME.h"
#include "MbxMsg.h"

namespace {

bool readFile(const char* path, std::string& content) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && S_ISDIR(st.st_mode)) {
        errno = EISDIR;
        ok = false;
    }
    char buffer[1 << 16];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            ok = false;
        else if (n > 0)
            content.append(buffer, static_cast<size_t>(n));
    }
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

std::string jsonArray(const std::vector<std::string>& lines) {
    std::string out = "[";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            out += ",";
        out += JsonLatin1String(lines[i]);
    }
    return out + "]";
}

std::string toJson(const TMbxMsg& msg) {
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

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: mbxdump FILE\n";
        return 1;
    }
    std::string content;
    if (!readFile(argv[1], content)) {
        std::cerr << "mbxdump: cannot read " << argv[1] << ": " << std::strerror(errno) << "\n";
        return 1;
    }
    TMbxMsg msg;
    msg.RawMail = SplitLines(content);
    content = std::string();
    try {
        msg.Parse();
    } catch (const EUUDecodeError& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    std::cout << toJson(msg);
    return std::cout.flush() ? 0 : 1;
}
