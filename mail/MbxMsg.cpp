#include "MbxMsg.h"

#include <utility>

#include "Charset.h"
#include "HtmlText.h"
#include "LargeBuffer.h"
#include "MbxMIME.h"
#include "MimeParams.h"
#include "UUDecode.h"
#include "mbx_util.h"

namespace {

using LineSpan = LineRange;

// Deeper parts are not split any further but taken as they stand, as mature MIME readers do;
// this bounds the recursion and the work per line.
constexpr int kMaxNesting = 100;

struct PartInfo {
    std::string contentType;
    std::string transferEncoding;
    std::string name; // UTF-8
    std::string charset;
    // Sent as "Content-Disposition: attachment".
    bool attachment = false;
};

struct Leaf {
    LineSpan lines;
    int depth;
    // A body that no delimiter line splits: its lines are shown as they stand.
    bool unsplit = false;
};

PartInfo GetPartInfo(LineSpan part) {
    PartInfo info;
    std::string line;
    if (FindHeader("CONTENT-TYPE:", part, line)) {
        info.contentType = AsciiUpper(GetHeaderValue("CONTENT-TYPE:", line));
        GetParameter(line, "name", info.name);
        GetParameter(line, "charset", info.charset);
    } else {
        info.contentType = "TEXT/PLAIN";
    }
    info.transferEncoding = FindHeader("CONTENT-TRANSFER-ENCODING:", part, line)
                                ? AsciiUpper(GetHeaderValue("CONTENT-TRANSFER-ENCODING:", line))
                                : "7BIT";
    if (FindHeader("CONTENT-DISPOSITION:", part, line)) {
        info.attachment = AsciiUpper(GetHeaderValue("CONTENT-DISPOSITION:", line)) == "ATTACHMENT";
        if (info.name.empty())
            GetParameter(line, "filename", info.name);
    }
    return info;
}

// A text whose every line ends with CR LF, without the last line break.
std::string WithoutLastBreak(std::string_view text) {
    return std::string(text.substr(0, text.empty() ? 0 : text.size() - 2));
}

std::string RemoveForbiddenNameChars(std::string name) {
    for (const char c : std::string_view("\\/:*?\"<>|"))
        name = RemoveChar(std::move(name), c);
    return name;
}

std::string HtmlNameFromSubject(const std::string& subject) {
    const size_t dot = subject.rfind('.');
    return (dot == std::string::npos ? subject : subject.substr(0, dot)) + ".html";
}

TAttachedFile& NewAttachment(TMbxMsg& msg, const std::string& contentType,
                             const std::string& name) {
    std::string fileName = RemoveForbiddenNameChars(name);
    // The subject may hold path separators too, so they go from the derived name as well.
    if (contentType == "TEXT/HTML" && fileName.empty())
        fileName = RemoveForbiddenNameChars(HtmlNameFromSubject(msg.Subject));
    return msg.Attachments.Add(fileName);
}

// A uuencoded block's bytes; false when a character outside the alphabet shows that the
// lines are no such block after all.
bool UUDecoded(LineSpan lines, std::string& data) {
    ReserveLarge(data, data.size() + lines.Text().size() / 4 * 3);
    try {
        UUDecodeLines(lines, data);
        return true;
    } catch (const EUUDecodeError&) {
        return false;
    }
}

TAttachedFile& AddAttachment(TMbxMsg& msg, LineSpan lines, const std::string& contentType,
                             const std::string& name, const std::string& transferEncoding) {
    TAttachedFile& item = NewAttachment(msg, contentType, name);
    // The bytes are decoded straight into Data; the encoded lines are read where they lie.
    if (transferEncoding == "BASE64") {
        // Line breaks take no place in base64 and are skipped by the decoder.
        ReserveLarge(item.Data, lines.Text().size() / 4 * 3 + 3);
        TBase64DecodingStream(item.Data).Write(lines.Text());
    } else if (transferEncoding == "X-UUENCODE") {
        if (!UUDecoded(lines, item.Data))
            item.Data = WithoutLastBreak(lines.Text()); // kept as it came rather than lost
    } else if (transferEncoding == "QUOTED-PRINTABLE") {
        item.Data = WithoutLastBreak(MailLines(QPDecode(lines.Text(), false)).Text());
    } else {
        item.Data = WithoutLastBreak(lines.Text());
    }
    return item;
}

// The decoded bytes of an HTML part that is the mail's text, as UTF-8 after Html. A part
// without a charset parameter may name its own in a <meta> tag.
void AppendHtml(TMbxMsg& msg, const std::string& bytes, const std::string& charset) {
    msg.Html += TCharset(charset.empty() ? HtmlDeclaredCharset(bytes) : charset).ToUtf8(bytes);
}

bool IsEndLine(std::string_view line) {
    const std::string_view trimmed = TrimView(line);
    return trimmed.size() == 3 && (trimmed[0] | 0x20) == 'e' && (trimmed[1] | 0x20) == 'n' &&
           (trimmed[2] | 0x20) == 'd';
}

// Text keeps a string per line: the message window shows it line by line.
void AppendLines(TMbxMsg& msg, LineSpan lines) {
    for (const std::string_view line : lines)
        msg.Text.emplace_back(line);
}

// Appends the runs of lines to Text as UTF-8. Lines that need no conversion are copied as they
// are; otherwise the runs are converted as one text, so that no character is cut at a line.
void AppendText(TMbxMsg& msg, const TCharset& charset, const std::vector<LineSpan>& runs) {
    bool unchanged = true;
    for (const LineSpan run : runs)
        unchanged = unchanged && charset.Unchanged(run.Text());
    if (unchanged) {
        for (const LineSpan run : runs)
            AppendLines(msg, run);
        return;
    }
    AppendLines(msg, MailLines(charset.ToUtf8(JoinLineRuns(runs))));
}

void ProcessTextPart(TMbxMsg& msg, LineSpan body, const PartInfo& info) {
    // Uuencoded blocks leave the text as attachments; their "end" line stays in the text. The
    // rest of the text is kept as the stretches between the blocks. A block that does not
    // decode stays where it stood.
    const TCharset charset(info.charset);
    std::vector<LineSpan> kept;
    size_t i = 0;
    size_t from = 0;
    size_t begin = 0;
    std::string uuName;
    while (FindUUBegin(body, from, begin, uuName)) {
        size_t end = begin + 1;
        while (end < body.size() && !IsEndLine(body[end]))
            ++end;
        // Empty lines inside the block decode to nothing, so the block is read in place.
        std::string data;
        if (!UUDecoded(body.subspan(begin, end - begin), data)) {
            from = begin + 1;
            continue;
        }
        kept.push_back(body.subspan(i, begin - i));
        NewAttachment(msg, "APPLICATION/OCTET-STREAM", charset.ToUtf8(uuName)).Data =
            std::move(data);
        i = from = end;
    }
    kept.push_back(body.subspan(i));

    const std::string& transferEncoding = info.transferEncoding;
    if (transferEncoding == "QUOTED-PRINTABLE" || transferEncoding == "BASE64") {
        // Each run ends with a line break, which no escape spans, so the runs are decoded
        // where they lie, one after the other, as if joined.
        std::string decoded;
        TBase64DecodingStream base64(decoded);
        for (const LineSpan run : kept) {
            if (transferEncoding == "BASE64")
                base64.Write(run.Text());
            else if (decoded.empty())
                decoded = QPDecode(run.Text(), false);
            else
                decoded += QPDecode(run.Text(), false);
        }
        if (!charset.Unchanged(decoded))
            decoded = charset.ToUtf8(decoded);
        AppendLines(msg, MailLines(std::move(decoded)));
    } else {
        AppendText(msg, charset, kept);
    }
}

// Appends the leaves of a multipart to leaves, in document order; preamble, delimiters and
// epilogue are dropped.
void SplitMultipart(LineSpan part, int depth, std::vector<Leaf>& leaves) {
    std::string contentType;
    if (depth >= kMaxNesting || !FindHeader("CONTENT-TYPE:", part, contentType) ||
        AsciiUpper(contentType).find("MULTIPART") == std::string::npos) {
        leaves.push_back({part, depth});
        return;
    }
    LineSpan body = part.subspan(PartBodyStart(part));
    const std::string delimiter = GetBoundary(contentType);
    const std::string closing = delimiter + "--";
    size_t first = 0;
    while (first < body.size() && body[first] != delimiter)
        ++first;
    if (first == body.size()) {
        // A missing or mistyped boundary would otherwise hide the whole body.
        leaves.push_back({body, depth + 1, true});
        return;
    }
    body = body.subspan(first);
    size_t current = 1;
    size_t i = 1;
    while (i < body.size() && body[i] != closing) {
        if (body[i] == delimiter) {
            SplitMultipart(body.subspan(current, i - current), depth + 1, leaves);
            current = ++i;
            if (i == body.size())
                break;
        }
        // The line right after a delimiter belongs to the new part untested.
        ++i;
    }
    SplitMultipart(body.subspan(current, i - current), depth + 1, leaves);
}

void ProcessPart(TMbxMsg& msg, LineSpan part, int depth) {
    const PartInfo info = GetPartInfo(part);
    const std::string& ct = info.contentType;
    const std::string& cte = info.transferEncoding;
    // HTML is offered as an attachment, so the text shows each alternative's plain text once.
    const bool html = ct == "TEXT/HTML";
    // Only the top-level type makes a text part ("application/vnd.oasis.opendocument.text"
    // is a document to save); a named one, or one sent as an attachment, is a file (a .txt
    // attachment), kept byte for byte.
    const bool text = ct.substr(0, ct.find('/')) == "TEXT";
    const bool textFile = text && (!info.name.empty() || info.attachment);
    if (text && !html && !textFile) {
        ProcessTextPart(msg, part.subspan(PartBodyStart(part)), info);
        return;
    }
    if (ct.find("MULTIPART") != std::string::npos && depth < kMaxNesting) {
        std::vector<Leaf> leaves;
        SplitMultipart(part, depth, leaves);
        for (const Leaf& leaf : leaves) {
            if (leaf.unsplit)
                AppendText(msg, TCharset(""), {leaf.lines});
            else
                ProcessPart(msg, leaf.lines, leaf.depth);
        }
        return;
    }
    const LineSpan body = part.subspan(PartBodyStart(part));
    if (cte == "X-UUENCODE" || !info.name.empty() || html || info.attachment) {
        const TAttachedFile& item = AddAttachment(msg, body, ct, info.name, cte);
        if (html && !textFile)
            AppendHtml(msg, item.Data, info.charset);
    } else if (ct == "MESSAGE/RFC822" && depth < kMaxNesting) {
        ProcessPart(msg, body, depth + 1);
    } else if (cte == "BASE64" || cte == "QUOTED-PRINTABLE") {
        AddAttachment(msg, body, ct, info.name, cte);
    } else {
        AppendText(msg, TCharset(info.charset), {body});
    }
}

} // namespace

void TMbxMsg::Parse() {
    if (RawMail.empty())
        return;
    for (const std::string_view line : RawMail.Lines()) {
        if (line.empty())
            break;
        Headers.emplace_back(line);
    }
    const LineSpan header = RawMail.Lines().subspan(0, Headers.size());

    // Characters 6 to 77 of the envelope line "From sender ...".
    if (!Headers.empty() && Headers.front().size() > 5)
        From = UnlabelledToUtf8(Headers.front().substr(5, 72));
    const auto field = [header](const char* key, std::string& target, auto treat) {
        std::string line;
        if (FindHeader(key, header, line))
            target = treat(GetHeaderValue(key, line));
    };
    // Every field is UTF-8; a raw value is read as UTF-8 when it is valid, else windows-1252.
    const auto asIs = [](const std::string& v) { return UnlabelledToUtf8(v); };
    const auto upper = [](const std::string& v) { return UnlabelledToUtf8(AsciiUpper(v)); };
    field("FROM:", From, DecodeEncodedWords);
    field("SENDER:", Sender, NormalizeAddressList);
    field("MESSAGE-ID:", MessageID, asIs);
    field("IN-REPLY-TO:", InReplyTo, asIs);
    field("RETURN-PATH:", ReturnPath, asIs);
    field("REPLY-TO:", ReplyTo, NormalizeAddressList);
    field("TO:", SendTo, NormalizeAddressList);
    field("CC:", CC, NormalizeAddressList);
    field("DATE:", Date, asIs);
    field("SUBJECT:", Subject, DecodeEncodedWords);
    ContentType = "TEXT/PLAIN";
    field("CONTENT-TYPE:", ContentType, upper);
    ContentTransferEncoding = "7BIT";
    field("CONTENT-TRANSFER-ENCODING:", ContentTransferEncoding, upper);

    // The parts are read in place: nothing below changes RawMail.
    ProcessPart(*this, RawMail, 0);
    // Without a plain text the HTML is the text, read as plain lines; with one, the HTML is
    // only offered as an attachment.
    if (!Text.empty())
        Html.clear();
    else if (!Html.empty())
        AppendLines(*this, MailLines(HtmlToText(Html)));
    if (ClearRawMailAfterParse)
        RawMail.clear();
}
