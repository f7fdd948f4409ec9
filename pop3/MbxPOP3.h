#pragma once

// TMbxPOP: the client side of one POP3 session over a blocking socket. Every operation sends
// one command and waits for its answer, running ProcessMessages before each send and receive.
//
// Failures, three kinds:
//  - wrong state: std::runtime_error "Invalid Op. Not connected." (Login) or "Not connected."
//    (Stat, GetMsgSize, GetMsgHeader, DeleteMsg, Retrieve, RetrieveMsg); nothing sent,
//    nothing changed;
//  - a "-ERR" answer: the connection is closed (no QUIT), OnQuit fires, then OnError with the
//    code (2001-2006) and the server's text; the operation returns normally (CAPA excepted:
//    a server may refuse it and the session goes on);
//  - a number in an answer that is not one this program holds (STAT, list n): the same close,
//    OnQuit and OnError 2006 with a text naming the number; the operation returns normally;
//  - the transport (send/receive failure, time-out, server gone mid-answer, an answer past its
//    bounds in time or size, see AnswerReader.h, the temporary file not written): the same
//    close, OnQuit and OnError (with the error number and a text naming what failed and why),
//    then ESocketError propagates.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "AnswerReader.h"
#include "Capabilities.h"
#include "CertificateInfo.h"
#include "ClientSocket.h"
#include "MbxMsg.h"
#include "OAuthSasl.h"
#include "Security.h"
#include "Timeouts.h"
#include "mbx_events.h"

class TUniqueIds;

// One mail as UIDL and LIST without an argument name it: its number, its size and its unique id
// ("" where the server has none).
struct TIndexedMail {
    TMsgNumber Number = 0;
    uint32_t Size = 0;
    std::string Id;
};
// Error codes passed to OnError for refused commands.
enum : int {
    kErrLogin = 2001,    // USER or PASS
    kErrQuit = 2002,     // QUIT
    kErrDelete = 2003,   // DELE
    kErrRetrieve = 2004, // RETR, or TOP n 0 in a header-only retrieval
    kErrHeader = 2005,   // TOP n 0, or a listing's TOP n L
    kErrCommand = 2006,  // STAT, list, UIDL
};

// ESocketError text when the server closes the connection before an answer is complete.
inline constexpr const char* kTextClosedMidAnswer =
    "Die Verbindung wurde vom Server geschlossen, bevor die Antwort vollständig war";

class TMbxPOP : public TObject {
public:
    TMbxPOP();
    ~TMbxPOP() override;
    TMbxPOP(const TMbxPOP&) = delete;
    TMbxPOP& operator=(const TMbxPOP&) = delete;

    std::string UserId;
    std::string UserPasswd;
    std::string Host; // host name, dotted IPv4 address or IPv6 address (without brackets)
    TSecurity Security = TSecurity::Auto;
    // How Login signs in: USER and PASS, or AUTH with AccessToken (OAuthSasl.h). Login clears
    // UserPasswd and AccessToken once they went out.
    TAuthMethod Auth = TAuthMethod::Password;
    std::string AccessToken;
    // Decimal text; empty (or not a port number): the mode's default. Auto: the TLS port, then
    // the plain port with STLS when the TLS port is refused or times out (in the TCP connect or
    // the handshake); Tls the TLS port; StartTls and None the plain port. Auto finds what a
    // port speaks: a TLS handshake answered in plain text is followed by STLS on the same port,
    // a plain guess without a greeting within kGreetingProbe by TLS on the same port.
    std::string Port;
    TDefaultPorts DefaultPorts;     // 995 and 110
    std::string CaFile;             // optional extra PEM trust anchors
    std::string TrustedFingerprint; // stored fingerprint for this host and port (may be empty)
    // A certificate that cannot be verified (and is not the trusted fingerprint): true trusts
    // it for this connection (the caller stores Fingerprint); unassigned or false: the attempt
    // ends, nothing sent, cause Certificate.
    std::function<bool(const TCertificateInfo&)> OnCertificateProblem;
    // Auto mode, the server offers no encryption: true continues in plain text (the caller
    // then remembers mode None); unassigned or false: the attempt ends, cause Insecure.
    std::function<bool(const std::string& host, int port)> OnPlainTextConsent;
    std::string StrErrorInFormatOfMsg = "Error en el formato del mensaje.";
    uint16_t RetrieveProgressStep = 10; // percent between two progress events
    bool GetUIDLsOnRetrieve = false;
    bool WholeMailByRetr = false; // RETR even where TOP would do (comparison, odd servers)
    // Pipelined listing and deletion where the server lists PIPELINING; false: lock-step.
    bool AllowPipelining = true;
    // Bytes of commands in flight at most (a command is some 12 bytes); at least one command.
    size_t PipelineBytes = 16 * 1024;
    // ListMails asks "TOP n N" with this N, so each row's header is followed by the mail's
    // first N body lines (what a spam scorer may want besides the header); 0: the header alone.
    // The header keeps its budget; the body part is cut at AnswerLimits.MaxListedBody (GetMsgTop).
    uint32_t ListBodyLines = 0;
    // Retrieve leaves the mail as the server sent it in RawMail (to hand it on whole).
    bool KeepRawMail = false;

    TNotifyEvent OnConnect; // Sender: the client socket component
    TNotifyEvent OnQuit;    // Sender: the client socket component
    TOnError OnError;
    TOnBeforeRetrieve OnBeforeRetrieve;
    TNotifyEvent OnAfterRetrieve;
    TOnCodeProgressEvent OnRetrieveProgress;
    TOnDeleteEvent OnDelete;
    TSocketNotifyEvent OnLookup;
    TSocketNotifyEvent OnConnecting;
    TToFromSocketEvent OnSendTextToSocket;      // each send: a command, or several pipelined
    TToFromSocketEvent OnReceiveTextFromSocket; // the bytes of each single receive

    // Lets the window process its pending messages; run before every send and receive,
    // between retrieval chunks and between the slices of every wait.
    std::function<void()> ProcessMessages;
    std::chrono::milliseconds ConnectTimeout = pop3_timeouts::kConnect;
    // Silence at most this long; a status line complete within it in total (AnswerReader.h).
    std::chrono::milliseconds ReceiveTimeout = pop3_timeouts::kReceive;
    TAnswerLimits AnswerLimits;

    bool Connected() const { return connected_; }
    // Result of the last step: True after a "-ERR" reply, any reported error, a failed open.
    bool Failed() const { return failed_; }
    TMsgNumber MessageCount() const { return messageCount_; }
    const std::string& MailboxSize() const { return mailboxSize_; }
    const std::string& ReplyStatus() const { return replyStatus_; }
    const std::string& ReplyText() const { return replyText_; }

    // Text of the exception that made the last Connect fail to open; empty after a good open.
    const std::string& OpenError() const { return openError_; }
    // Why the last Connect failed to open; Other after a good open.
    TFailureCause OpenCause() const { return openCause_; }

    TClientSocket& ClientSocket() { return *socket_; }

    // After a good Connect: Tls, StartTls or None, and the port that worked.
    TSecurity UsedSecurity() const { return usedSecurity_; }
    int UsedPort() const { return usedPort_; }
    // "TLS version, cipher, certificate subject" while encrypted; empty when plain.
    std::string TlsSummary() const;

    // Opens the connection as Security asks (TLS handshake, or the greeting and STLS) and
    // reads the greeting. A failed open, and every security failure (handshake, certificate,
    // no encryption offered, STLS refused, bytes injected before the handshake), sets Failed,
    // OpenError and OpenCause and fires OnQuit (no OnError, no exception); nothing has been
    // sent beyond CAPA and STLS then. A "-ERR" greeting sets Failed and keeps the connection.
    // Auto's first attempt, when the plain port is tried after it, fires no OnQuit.
    void Connect();
    // USER, PASS; with Auth a SASL mechanism instead, AUTH and then the token (SaslLogin.cpp).
    // False and error 2001 on refusal. Once logged in: CAPA again (the list may change with the
    // login, RFC 2449) and, when it lists UTF8, the UTF8 command (RFC 6856);
    // a refusal of either ends nothing.
    bool Login();
    // STAT into MessageCount and MailboxSize; true when both were read. False and error 2006
    // on refusal, also when the count or the size is not a number this program holds (the
    // session ends then, MessageCount 0).
    bool Stat();
    // "list n": Size := the size word; error 2006 (Size untouched), also when the answer names
    // another mail or its size is not a number this program holds.
    void GetMsgSize(int MsgIndex, std::string& Size);
    // "TOP n 0": Header := the header lines, the empty line and the "." line as sent; error
    // 2005 (Header empty).
    void GetMsgHeader(TMsgNumber MsgIndex, std::string& Header);
    // "TOP n Lines": as GetMsgHeader, the mail's first Lines body lines after the header. The
    // header keeps the header budget; of the body at most AnswerLimits.MaxListedBody bytes are
    // kept (up to the last line end within them, else cut there and ended with CR LF), the
    // rest is read and dropped; the text then ends with the "." line all the same. The whole
    // answer is bounded as a retrieval of a mail whose size is not known.
    void GetMsgTop(TMsgNumber MsgIndex, uint32_t Lines, std::string& Text);
    // "UIDL n": UIDL := the unique-id word; error 2006 (UIDL empty).
    void GetUIDL(int MsgIndex, std::string& UIDL);
    // LIST n, then the whole mail through an owner-only temporary file, parsed. The mail is
    // asked for with "TOP n 999999999", which servers do not count as a download; with
    // "RETR n" only when this session's server refused TOP (the refused TOP is followed by
    // RETR at once) or WholeMailByRetr is set. nullptr and error 2004 on refusal. Fires
    // OnBeforeRetrieve, OnRetrieveProgress, OnAfterRetrieve.
    std::unique_ptr<TMbxMsg> Retrieve(TMsgNumber MsgIndex);
    // As Retrieve, with "TOP n 0" instead when HeaderOnly.
    std::unique_ptr<TMbxMsg> RetrieveMsg(TMsgNumber MsgIndex, bool HeaderOnly);
    // The last whole-mail retrieval asked with RETR: the server may count the mail as
    // downloaded (some hide it from later sessions then).
    bool LastRetrievalUsedRetr() const { return lastUsedRetr_; }
    // "DELE n": MessageCount - 1 and OnDelete; error 2003.
    void DeleteMsg(TMsgNumber MsgIndex);

    // The two passes over many mails that the window and mbxpop share (MailPasses.cpp). Both
    // keep several commands in flight when the server lists PIPELINING and AllowPipelining is
    // set, reading the answers strictly in order; otherwise they go one command at a time.
    enum class TPassEnd { Complete, Cancelled, SessionEnded };
    using TListedRow =
        std::function<void(TMsgNumber n, const std::string& header, const std::string& size)>;
    // TOP n 0 and list n for mails 1 to Count; Row for each mail once both answers are in, in
    // order. Cancelled is asked between mails: once it says true no command goes out, the
    // answers already asked for are read (their rows included) and the session stays usable.
    // A refusal ends the session as GetMsgHeader (2005) or GetMsgSize (2006) does, after the
    // answers in flight were read and dropped.
    TPassEnd ListMails(TMsgNumber Count, const TListedRow& Row,
                       const std::function<bool()>& Cancelled);
    // As ListMails, with "UIDL n" after each mail's list n; Row gets the mail's unique id, ""
    // where the server gives none. Not asked when CAPA leaves UIDL out; the first "-ERR" to
    // UIDL asks no more and ends nothing. An answer naming another mail, or an id that is
    // empty, too long, not printable or that of another mail (UniqueIds.h) ends the session as
    // a refused list n does (2006).
    using TListedIdRow = std::function<void(TMsgNumber n, const std::string& header,
                                            const std::string& size, const std::string& id)>;
    TPassEnd ListMailsWithIds(TMsgNumber Count, const TListedIdRow& Row,
                              const std::function<bool()>& Cancelled);
    // After STAT: "UIDL" and "LIST" for the whole mailbox (MailboxIndex.cpp), pipelined where
    // allowed, into Mails in order. A UIDL refused, or left out of CAPA, gives every mail the
    // id "" and ends nothing. Numbers out of order or past STAT's count, a size or id that
    // breaks the rules of the single-mail answers, or the two answers naming different mails
    // end the session as a refused list n does (2006).
    TPassEnd ListMailbox(std::vector<TIndexedMail>& Mails);
    // What an earlier listing kept of mails by unique id: Knows is asked once per mail before
    // its TOP would go out, Take (for each id Knows said yes to) when its row is due.
    struct TRemembered {
        std::function<bool(const std::string& id)> Knows;
        std::function<std::optional<std::string>(const std::string& id)> Take;
    };
    // As ListMailsWithIds over the mails ListMailbox gave, asking "TOP n L" only for those
    // Remembered does not know; the others get the remembered text. Rows come in order, and
    // Cancelled is asked between mails as in ListMails.
    TPassEnd ListMailsRemembering(const std::vector<TIndexedMail>& Mails,
                                  const TRemembered& Remembered, const TListedIdRow& Row,
                                  const std::function<bool()>& Cancelled);
    // DELE for each number in the order given; Deleted(n) (and OnDelete) after each "+OK".
    // A refusal ends the pass and the session as DeleteMsg does (2003): no QUIT, so the
    // server deletes nothing at all.
    TPassEnd DeleteMails(const std::vector<TMsgNumber>& Numbers,
                         const std::function<void(TMsgNumber n)>& Deleted);
    // A marked mail for DeleteWithCopies: its number and the size its listing gave.
    struct TMarkedMail {
        TMsgNumber Number;
        uint64_t Size;
    };
    // Writes the copy of mail n (the whole mail as RETR gives it: dot-unstuffed, line ends as
    // sent); "" once it is written, else why not, naming the folder or file.
    using TKeepCopy = std::function<std::string(TMsgNumber n, const std::string& mail)>;
    struct TCopyFailure {
        TMsgNumber Number;
        std::string Why;
    };
    // Keeps a copy of each marked mail up to MaxCopySize bytes, then deletes the marked mails:
    // each such mail is fetched whole as Retrieve fetches it (TOP n 999999999, or RETR), with
    // several in flight as ListMails has, and handed to Keep; then DeleteMails for the marked
    // mails in the order given, but for those Keep could not write: they go into Failures
    // and are never deleted. Mails above MaxCopySize are deleted without a copy. A refused
    // fetch ends the session (2004) before any DELE, so nothing is deleted. The copies of
    // mails that end up not deleted (the session ended before its QUIT) are the caller's to
    // remove.
    TPassEnd DeleteWithCopies(const std::vector<TMarkedMail>& Marked, uint64_t MaxCopySize,
                              const TKeepCopy& Keep,
                              const std::function<void(TMsgNumber n)>& Deleted,
                              std::vector<TCopyFailure>& Failures);
    // "QUIT" when connected, then closes (OnQuit); true when the server took it or the session
    // was closed already. False and error 2002 on refusal: the server need not have carried
    // out the deletions.
    bool Quit();
    // How far this session's QUIT got: NotSent until it went out whole; Sent once it did (the
    // server may have removed the mails its DELEs marked, RFC 1939, whatever comes back:
    // a refusal, no answer, a dropped connection); Taken once it was answered "+OK".
    enum class TQuitState { NotSent, Sent, Taken };
    TQuitState QuitState() const { return quitState_; }

    // "CAPA" into Capabilities(); true when the server listed them. A "-ERR" is no failure
    // here: Known stays false, Failed() false, no OnError, and the session goes on.
    bool RequestCapabilities();
    const TCapabilities& Capabilities() const { return capabilities_; }
    // Drops what the server said, e.g. when the session's state changed (after STLS).
    void ForgetCapabilities() { capabilities_ = {}; }

private:
    friend class TPipeline;

    // How the answer to a listing's TOP n L is held: the header within MaxHeader (past it the
    // session ends with HeaderText), at most MaxBody bytes of the body.
    struct TBodyCut {
        uint64_t MaxHeader;
        uint64_t MaxBody;
        std::string HeaderText;
    };

    // Sends one command; its answer, read next, may hold at most Budget.
    void SendText(const std::string& Text, TAnswerBudget Budget = {});
    // The answer to a command: receives until its first line is complete, then judges it.
    void ReceiveText(std::string& Text);
    // One data chunk of a multi-line answer: a single receive, judged as it stands.
    void ReceiveChunk(std::string& Text);
    // The rest of a multi-line answer whose start ReceiveText put into Text: receives until
    // the terminating "." line, within the bounds given when its command was sent.
    void ReceiveMultiLine(std::string& Text);
    void ReportError(int Code);
    // AUTH with AccessToken, only over TLS and as the CAPA answer's SASL line offers (Auth's
    // mechanism, or the other token mechanism when only that one is listed; Auth then names
    // the one used); a refusal ends the session with error 2001 and the provider's reason.
    bool SaslLogin();
    // The close and events of every error: Failed, close (OnQuit), then OnError(Sender, Code,
    // Text).
    void closeAndReport(TObject* Sender, int Code, const std::string& Text);
    // The answer to "list n" in ReplyText: Size := its size word; false after the session was
    // ended (2006) because the answer names another mail or a size this program cannot hold.
    bool listedSize(TMsgNumber n, std::string& Size);
    // Sends what the socket takes of Count bytes now (all of them when Wait), with its event;
    // the number of bytes sent.
    size_t sendSome(const char* Bytes, size_t Count, bool Wait);
    // Sends Line and reads the answer into Reply; on "-ERR" reports ErrorCode and gives false.
    bool Command(const std::string& Line, int ErrorCode, std::string& Reply,
                 TAnswerBudget Budget = {});
    // Sends Line and reads its one-line answer; a "-ERR" is no failure (CAPA, UTF8, a TOP
    // that RETR replaces). True on "+OK".
    bool TryCommand(const std::string& Line, std::string& Reply, TAnswerBudget Budget = {});
    // Exactly one answer, within Budget: its status line, and when MultiLine and "+OK" up to
    // its "." line (its body cut as Cut says, if given). Bytes of later answers that came with
    // it wait in pending_ for the next read.
    void ReceiveAnswer(std::string& Text, bool MultiLine, TAnswerBudget Budget = {},
                       const TBodyCut* Cut = nullptr);
    // A header answer (TOP n 0) is held in memory: this much at most. Its text names the
    // command as sent, with Lines body lines.
    TAnswerBudget HeaderBudget(uint32_t Lines = 0) const;
    // The whole answer to TOP n Lines: the header budget for 0 lines; with body lines the body
    // part is cut (TBodyCut) and the answer bounded as an unlisted retrieval.
    TAnswerBudget TopBudget(uint32_t Lines) const;
    // Nothing for 0 lines: the answer is the header alone.
    std::optional<TBodyCut> BodyCut(uint32_t Lines) const;
    // As ReceiveMultiLine, keeping of the body only what Cut allows; the bytes of later
    // answers after the terminator stay behind it in Text, as ReceiveMultiLine leaves them.
    void ReceiveCutBody(std::string& Text, const TBodyCut& Cut);
    // What TOP n 0 and list n give from their answers.
    static std::string headerOf(const std::string& answer);
    void noteDeleted(TMsgNumber MsgIndex);
    // The listing of ListMails and ListMailsWithIds, asking UIDL n while askIds.
    TPassEnd listPass(TMsgNumber Count, const TListedIdRow& Row,
                      const std::function<bool()>& Cancelled, bool askIds);
    // The answer to UIDL n just read: its id into id; a refusal ("" id) stops askIds. False
    // once the session ended (a hostile id ends it, 2006).
    bool takeUniqueId(TMsgNumber n, bool answered, TUniqueIds& ids, bool& askIds, std::string& id);
    // The body lines of a whole-mailbox answer (UIDL, LIST) just read into answer, after its
    // status line and without its "." line, dot-stuffing undone.
    static std::vector<std::string_view> indexLines(const std::string& answer);
    // Mails from the LIST answer; false once the session ended over a hostile line.
    bool takeSizes(const std::string& answer, std::vector<TIndexedMail>& Mails);
    bool takeIds(const std::string& answer, std::vector<TIndexedMail>& Mails);
    TAnswerBudget IndexBudget(const char* command, uint64_t bytesPerMail) const;
    // Fetches the marked mails up to MaxCopySize for DeleteWithCopies; false once the session
    // ended.
    bool keepCopies(const std::vector<TMarkedMail>& Marked, uint64_t MaxCopySize,
                    const TKeepCopy& Keep, std::vector<TCopyFailure>& Failures);
    // "TOP n 999999999": the whole mail, without it counting as a download.
    static std::string WholeMailTop(TMsgNumber n);
    // The first TOP answer of a session decides whether TOP serves for whole mails.
    void NoteTopAnswer();

    void SocketLookup(TObject* Sender, TCustomWinSocket* Socket);
    void SocketConnecting(TObject* Sender, TCustomWinSocket* Socket);
    void SocketConnect(TObject* Sender, TCustomWinSocket* Socket);
    void SocketDisconnect(TObject* Sender, TCustomWinSocket* Socket);
    void SocketError(TObject* Sender, TCustomWinSocket* Socket, TErrorEvent ErrorEvent,
                     int& ErrorCode);

    // A new answer is expected from now on (reader_ bounds it).
    void beginAnswer(TAnswerBudget budget = {});
    // One receive of at most 1024 bytes waiting at most `wait`, with its event; empty when
    // nothing came.
    std::string receiveOnce(std::chrono::milliseconds wait);
    void judge(const std::string& Text);
    // Closes the session as a receive failure (OnQuit, OnError) and throws ESocketError.
    [[noreturn]] void transportFailure(int errorCode, const std::string& text);
    // The same close and events, without the throw.
    void endSession(int errorCode, const std::string& text);
    void processMessages();

    // The steps of Connect that make the connection secure.
    void openTcp(int port);
    // One way to open: the port, TLS from the first byte or not, and for Auto's guess of plain
    // text whether the greeting must begin within a few seconds (kGreetingProbe).
    struct TAttempt {
        int Port;
        TSecurity How; // Tls, StartTls or None
        bool Probe;
    };
    struct TOpenFailure {
        ESocketError Error;
        bool Silent; // the probe's greeting never came
    };
    // openTcp and, for Tls, startTls; with Probe, the greeting's first bytes into pending_.
    std::optional<TOpenFailure> openAttempt(const TAttempt& attempt);
    void awaitGreeting();
    // Auto: attempts by guess until one opens; those before fire no OnQuit. False when none
    // did, after failOpen with the most telling failure.
    bool openByGuessing(TAttempt& attempt, bool portGiven);
    // Auto's next attempt after a failed one, if any.
    static std::optional<TAttempt> NextGuess(const TAttempt& failed, const TOpenFailure& failure,
                                             bool portGiven, const TDefaultPorts& ports);
    // Handshake and certificate check; throws ESocketError (Tls, Timeout, Certificate).
    void startTls(int port);
    // CAPA, STLS and the handshake on a plain connection that has greeted. True when the
    // session goes on (encrypted, or in plain text with consent); false when the attempt ended.
    bool negotiateStls(int port);
    // Ends the attempt as a failed open with text and cause.
    void failOpen(const std::string& text, TFailureCause cause);

    std::unique_ptr<TClientSocket> socket_;
    TAnswerReader reader_;
    bool connected_ = false;
    bool failed_ = false;
    TMsgNumber messageCount_ = 0;
    std::string mailboxSize_;
    std::string replyStatus_;
    std::string replyText_;
    std::string openError_;
    TFailureCause openCause_ = TFailureCause::Other;
    TCapabilities capabilities_;
    std::string pending_; // received bytes that belong to the next pipelined answer
    // Whether this session's server gives the whole mail through TOP: set by a CAPA that
    // lists TOP, else by the first TOP answered or refused; a refused whole-mail TOP ends it.
    enum class TTopUse { Unknown, Yes, No } topUse_ = TTopUse::Unknown;
    bool lastUsedRetr_ = false;
    TQuitState quitState_ = TQuitState::NotSent;
    TSecurity usedSecurity_ = TSecurity::None;
    int usedPort_ = 0;
    uint16_t NextProgress = 0;
    uint16_t LastPercent = 0;
};
