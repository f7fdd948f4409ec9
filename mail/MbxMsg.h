#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "AttachedFiles.h"
#include "MailLines.h"
#include "mbx_events.h"

enum TPriority { prHighest, prHigh, prNormal, prLow, prLowest };
enum TTextEncoding { te8Bit, teBase64 };

// Raised by uudecoding for a character outside the uuencoding alphabet; Parse keeps such
// lines as they are.
class EUUDecodeError : public std::runtime_error {
public:
    EUUDecodeError() : std::runtime_error("Oops...") {}
};

// One mail: header fields, text lines and attachments, filled by Parse from RawMail.
class TMbxMsg : public TObject {
public:
    TPriority Priority = prNormal;
    std::string UserName;
    std::string From;
    std::string Sender;
    std::string MessageID;
    std::string InReplyTo;
    std::string ReturnPath;
    std::string ReplyTo;
    std::string SendTo;
    std::string CC;
    std::string BCC;
    std::string Date;
    std::string Subject;
    std::vector<std::string> Text;
    // The mail's HTML text in UTF-8 when it has an HTML part and no plain text part; empty
    // otherwise. Text then holds the same text as plain lines.
    std::string Html;
    std::vector<std::string> ExtraHeaders;
    TAttachedFiles Attachments;
    std::string ContentType;
    std::string ContentTransferEncoding;
    std::vector<std::string> Headers;
    std::string CharSet = "ISO-8859-1";
    int32_t Size = 0;
    std::string UIDL;
    // The mail as the server sent it, in one buffer.
    MailLines RawMail;
    bool ClearRawMailAfterParse = true;
    TTextEncoding TextEncoding = te8Bit;

    // Reads RawMail into the fields, Headers, Text and Attachments. Malformed mail gives a
    // best-effort result and never an error. Text, the fields and the attachments' names are
    // UTF-8; Headers, RawMail and each attachment's Data keep the bytes of the mail. A text
    // part with a file name, or sent as an attachment, is an attachment. A mail whose only text
    // is HTML fills Html, and Text with its plain reading.
    void Parse();
};
