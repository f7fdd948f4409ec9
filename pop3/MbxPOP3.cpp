#include "MbxPOP3.h"

#include <cerrno>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>

#include <unistd.h>

#include "MbxMIME.h"
#include "RetrievalFile.h"
#include "RetrieveProgress.h"
#include "ServerNumbers.h"

namespace {

constexpr int kReceiveSize = 1024;
// TOP with this many body lines is the whole mail; servers accept it as a number of lines.
constexpr const char* kAllLines = " 999999999";
const std::string kCRLF = "\r\n";
const std::string kTerminator = "\r\n.\r\n";

std::string Number(unsigned value) {
    return std::to_string(value);
}
std::string Number(int value) {
    return std::to_string(value);
}

// The rest of a reply text after its first blank; all of it when it has none.
std::string AfterFirstBlank(const std::string& text) {
    const size_t blank = text.find(' ');
    return blank == std::string::npos ? text : text.substr(blank + 1);
}

} // namespace

TMbxPOP::TMbxPOP()
    : socket_(std::make_unique<TClientSocket>()),
      reader_([this](std::chrono::milliseconds wait) { return receiveOnce(wait); },
              [this](int errorCode, const std::string& text) { endSession(errorCode, text); }) {
    socket_->SetClientType(ctBlocking);
    socket_->Socket()->WaitHook = [this] { processMessages(); };
    socket_->OnLookup = [this](TObject* s, TCustomWinSocket* k) { SocketLookup(s, k); };
    socket_->OnConnecting = [this](TObject* s, TCustomWinSocket* k) { SocketConnecting(s, k); };
    socket_->OnConnect = [this](TObject* s, TCustomWinSocket* k) { SocketConnect(s, k); };
    socket_->OnDisconnect = [this](TObject* s, TCustomWinSocket* k) { SocketDisconnect(s, k); };
    socket_->OnError = [this](TObject* s, TCustomWinSocket* k, TErrorEvent e, int& code) {
        SocketError(s, k, e, code);
    };
}

TMbxPOP::~TMbxPOP() = default;

void TMbxPOP::processMessages() {
    if (ProcessMessages)
        ProcessMessages();
}

// --- socket handlers ---

void TMbxPOP::SocketLookup(TObject* Sender, TCustomWinSocket* Socket) {
    if (OnLookup)
        OnLookup(Sender, Socket);
}

void TMbxPOP::SocketConnecting(TObject* Sender, TCustomWinSocket* Socket) {
    if (OnConnecting)
        OnConnecting(Sender, Socket);
}

void TMbxPOP::SocketConnect(TObject* Sender, TCustomWinSocket*) {
    connected_ = true;
    if (OnConnect)
        OnConnect(Sender);
}

void TMbxPOP::SocketDisconnect(TObject* Sender, TCustomWinSocket*) {
    connected_ = false;
    if (OnQuit)
        OnQuit(Sender);
}

// The order matters to the window: OnQuit (from the close) comes before OnError.
void TMbxPOP::closeAndReport(TObject* Sender, int Code, const std::string& Text) {
    failed_ = true;
    socket_->Close();
    connected_ = false;
    if (OnError)
        OnError(Sender, Code, Text);
}

// A failed send or receive of the socket: its text says what failed, never the last answer's
// bytes (which may be a piece of a mail).
void TMbxPOP::SocketError(TObject* Sender, TCustomWinSocket* Socket, TErrorEvent, int& ErrorCode) {
    closeAndReport(Sender, ErrorCode, Socket ? Socket->LastErrorText() : replyText_);
}

void TMbxPOP::ReportError(int Code) {
    closeAndReport(this, Code, replyText_);
}

void TMbxPOP::endSession(int errorCode, const std::string& text) {
    closeAndReport(socket_.get(), errorCode, text);
}

void TMbxPOP::transportFailure(int errorCode, const std::string& text) {
    endSession(errorCode, text);
    throw ESocketError(text, FailureCauseOf(errorCode), errorCode);
}

// --- line transport ---

void TMbxPOP::beginAnswer(TAnswerBudget budget) {
    reader_.Begin(ReceiveTimeout, AnswerLimits, std::move(budget));
}

size_t TMbxPOP::sendSome(const char* Bytes, size_t Count, bool Wait) {
    processMessages();
    TClientWinSocket& socket = *socket_->Socket();
    const int count = static_cast<int>(Count);
    const int sent = Wait ? socket.SendBytes(Bytes, count) : socket.SendNow(Bytes, count);
    if (sent > 0 && OnSendTextToSocket)
        OnSendTextToSocket(this, std::string(Bytes, static_cast<size_t>(sent)));
    return sent > 0 ? static_cast<size_t>(sent) : 0;
}

void TMbxPOP::SendText(const std::string& Text, TAnswerBudget Budget) {
    processMessages();
    socket_->Socket()->SendBytes(Text.data(), static_cast<int>(Text.size()));
    beginAnswer(std::move(Budget));
    if (OnSendTextToSocket)
        OnSendTextToSocket(this, Text);
}

std::string TMbxPOP::receiveOnce(std::chrono::milliseconds wait) {
    // Already reported when it came in; it belongs to the next answer.
    if (!pending_.empty())
        return std::exchange(pending_, {});
    char buffer[kReceiveSize];
    socket_->Socket()->ReceiveTimeout = wait;
    const int n = socket_->Socket()->ReceiveBytes(buffer, kReceiveSize);
    std::string text(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    if (OnReceiveTextFromSocket)
        OnReceiveTextFromSocket(this, text);
    return text;
}

void TMbxPOP::judge(const std::string& Text) {
    replyStatus_ = Trim(Text.substr(0, 4));
    const size_t eol = Text.find(kCRLF);
    replyText_ = (eol == std::string::npos || eol <= 4) ? "" : Trim(Text.substr(4, eol - 4));
    failed_ = replyStatus_ == "-ERR";
}

void TMbxPOP::ReceiveText(std::string& Text) {
    Text.clear();
    for (;;) {
        processMessages();
        const std::string piece = reader_.Receive();
        if (piece.empty()) {
            // A closed session answers nothing, at once; a server gone mid-line is a failure.
            if (Text.empty() && !socket_->Socket()->Connected())
                break;
            transportFailure(ECONNRESET, kTextClosedMidAnswer);
        }
        const size_t searchFrom = Text.empty() ? 0 : Text.size() - 1;
        Text += piece;
        if (Text.find(kCRLF, searchFrom) != std::string::npos)
            break;
    }
    judge(Text);
}

void TMbxPOP::ReceiveChunk(std::string& Text) {
    processMessages();
    Text = reader_.Receive();
    // A multi-line answer needs its terminator; nothing more can come once the server is gone.
    if (Text.empty())
        transportFailure(ECONNRESET, kTextClosedMidAnswer);
    judge(Text);
}

void TMbxPOP::ReceiveMultiLine(std::string& Text) {
    // The terminator is searched from the status line's CR LF on, so an answer without any
    // line ("+OK" CR LF "." CR LF) is complete too.
    const size_t statusEnd = Text.find(kCRLF);
    size_t searchFrom = statusEnd == std::string::npos ? 0 : statusEnd;
    while (Text.find(kTerminator, searchFrom) == std::string::npos) {
        searchFrom = std::max(searchFrom, Text.size() >= 4 ? Text.size() - 4 : 0);
        std::string chunk;
        ReceiveChunk(chunk);
        Text += chunk;
    }
}

void TMbxPOP::ReceiveCutBody(std::string& Text, const TBodyCut& Cut) {
    constexpr size_t npos = std::string::npos;
    const size_t statusEnd = Text.find(kCRLF);
    const size_t from = statusEnd == npos ? 0 : statusEnd;
    size_t searchFrom = from;
    size_t blankFrom = from;
    size_t bodyStart = npos;
    for (;;) {
        const size_t end = Text.find(kTerminator, searchFrom);
        // Through the CR LF of the last line, without the "." line.
        const size_t answerEnd = end == npos ? Text.size() : end + 2;
        if (bodyStart == npos) {
            const size_t blank = Text.find("\r\n\r\n", blankFrom);
            if (blank != npos && blank + 4 <= answerEnd)
                bodyStart = blank + 4;
            blankFrom = std::max(blankFrom, Text.size() >= 3 ? Text.size() - 3 : 0);
        }
        const size_t headerEnd = bodyStart == npos ? answerEnd : bodyStart;
        if (headerEnd > Cut.MaxHeader) {
            endSession(EMSGSIZE, Cut.HeaderText);
            throw ESocketError(Cut.HeaderText, TFailureCause::Bounds, EMSGSIZE);
        }
        if (bodyStart != npos && answerEnd - bodyStart > Cut.MaxBody)
            break;
        if (end != npos)
            return;
        searchFrom = std::max(searchFrom, Text.size() >= 4 ? Text.size() - 4 : 0);
        std::string chunk;
        ReceiveChunk(chunk);
        Text += chunk;
    }
    // The body is cut: at its last line end within the limit, else at the limit itself.
    size_t keep = bodyStart + Cut.MaxBody;
    const size_t lineEnd = Text.rfind(kCRLF, keep - 2);
    if (lineEnd != npos && lineEnd + 2 > bodyStart)
        keep = lineEnd + 2;
    std::string window = Text.substr(keep >= 4 ? keep - 4 : 0);
    Text.resize(keep);
    if (Text.compare(Text.size() - 2, 2, kCRLF) != 0)
        Text += kCRLF;
    // The rest is read and dropped, but for a few bytes to find the terminator across chunks.
    while (window.find(kTerminator) == npos) {
        std::string chunk;
        ReceiveChunk(chunk);
        window = window.substr(window.size() >= 4 ? window.size() - 4 : 0) + chunk;
    }
    Text += "." + kCRLF;
    Text.append(window, window.find(kTerminator) + kTerminator.size());
}

void TMbxPOP::ReceiveAnswer(std::string& Text, bool MultiLine, TAnswerBudget Budget,
                            const TBodyCut* Cut) {
    // The bytes kept for the next answer count for it again; a receive that brings the start
    // of later answers counts for this one too (at most one receive, 1 KiB, too many).
    beginAnswer(std::move(Budget));
    ReceiveText(Text);
    size_t end = Text.find(kCRLF);
    end = end == std::string::npos ? Text.size() : end + 2;
    if (MultiLine && replyStatus_ == "+OK") {
        if (Cut)
            ReceiveCutBody(Text, *Cut);
        else
            ReceiveMultiLine(Text);
        end = Text.find(kTerminator, end - 2) + kTerminator.size();
    }
    pending_.insert(0, Text, end);
    Text.resize(end);
    judge(Text); // this answer's status, not that of a later one or of a chunk
}

TAnswerBudget TMbxPOP::HeaderBudget(uint32_t Lines) const {
    return {AnswerLimits.MaxHeaderAnswer,
            "the server's header answer (TOP n " + std::to_string(Lines) + ") is larger than " +
                std::to_string(AnswerLimits.MaxHeaderAnswer) + " bytes"};
}

TAnswerBudget TMbxPOP::TopBudget(uint32_t Lines) const {
    if (Lines == 0)
        return HeaderBudget();
    return {AnswerLimits.UnlistedRetrieveBudget,
            "the server's answer to TOP n " + std::to_string(Lines) + " is larger than " +
                std::to_string(AnswerLimits.UnlistedRetrieveBudget) + " bytes"};
}

std::optional<TMbxPOP::TBodyCut> TMbxPOP::BodyCut(uint32_t Lines) const {
    if (Lines == 0)
        return std::nullopt;
    return TBodyCut{AnswerLimits.MaxHeaderAnswer, AnswerLimits.MaxListedBody,
                    HeaderBudget(Lines).Text};
}

std::string TMbxPOP::headerOf(const std::string& answer) {
    const size_t statusEnd = answer.find(kCRLF);
    return answer.substr(statusEnd == std::string::npos ? answer.size() : statusEnd + 2);
}

bool TMbxPOP::listedSize(TMsgNumber n, std::string& Size) {
    const auto [number, size] = FirstTwoWords(replyText_);
    const auto named = ReadServerNumber(number, "mail number", kMaxMailCount);
    std::optional<std::string> error = named.Error;
    if (!error && named.Value != n)
        error = "the server answered list " + std::to_string(n) + " for mail " +
                std::to_string(named.Value);
    if (!error)
        error = ReadServerNumber(size, "size of mail " + std::to_string(n), kMaxMailSize).Error;
    if (error) {
        closeAndReport(this, kErrCommand, *error);
        return false;
    }
    Size = size;
    return true;
}

void TMbxPOP::noteDeleted(TMsgNumber MsgIndex) {
    messageCount_ = messageCount_ > 0 ? messageCount_ - 1 : 0;
    if (OnDelete)
        OnDelete(this, MsgIndex);
}

// --- operations ---

bool TMbxPOP::Command(const std::string& Line, int ErrorCode, std::string& Reply,
                      TAnswerBudget Budget) {
    SendText(Line + kCRLF, std::move(Budget));
    ReceiveText(Reply);
    if (failed_) {
        ReportError(ErrorCode);
        return false;
    }
    return true;
}

bool TMbxPOP::TryCommand(const std::string& Line, std::string& Reply, TAnswerBudget Budget) {
    SendText(Line + kCRLF, std::move(Budget));
    ReceiveText(Reply);
    if (replyStatus_ == "+OK")
        return true;
    failed_ = false;
    return false;
}

std::string TMbxPOP::WholeMailTop(TMsgNumber n) {
    return "TOP " + Number(unsigned{n}) + kAllLines;
}

void TMbxPOP::NoteTopAnswer() {
    if (topUse_ == TTopUse::Unknown)
        topUse_ = failed_ ? TTopUse::No : TTopUse::Yes;
}

bool TMbxPOP::Login() {
    if (!connected_)
        throw std::runtime_error("Invalid Op. Not connected.");
    std::string reply;
    if (Auth != TAuthMethod::Password) {
        if (!SaslLogin())
            return false;
    } else if (!Command("USER " + UserId, kErrLogin, reply) ||
               !Command("PASS " + std::exchange(UserPasswd, {}), kErrLogin, reply)) {
        return false;
    }
    // A CAPA without TOP decides nothing: some servers answer TOP without listing it.
    if (RequestCapabilities() && capabilities_.Top)
        topUse_ = TTopUse::Yes;
    // Servers that speak UTF8 may otherwise hand out stubs for mails with non-ASCII headers.
    if (capabilities_.Utf8 && connected_)
        TryCommand("UTF8", reply);
    return true;
}

bool TMbxPOP::Stat() {
    if (!connected_)
        throw std::runtime_error("Not connected.");
    std::string reply;
    if (!Command("STAT", kErrCommand, reply))
        return false;
    const auto [number, size] = FirstTwoWords(replyText_);
    const auto count = ReadServerNumber(number, "mail count", kMaxMailCount);
    // A server that gives no size at all leaves the size unknown; one it gives must be a number.
    const auto octets =
        size.empty() ? TServerNumber{} : ReadServerNumber(size, "mailbox size", kMaxMailboxSize);
    if (count.Error || octets.Error) {
        messageCount_ = 0;
        mailboxSize_.clear();
        closeAndReport(this, kErrCommand, count.Error ? *count.Error : *octets.Error);
        return false;
    }
    messageCount_ = static_cast<TMsgNumber>(count.Value);
    mailboxSize_ = size;
    return true;
}

void TMbxPOP::GetMsgSize(int MsgIndex, std::string& Size) {
    if (!connected_)
        throw std::runtime_error("Not connected.");
    std::string reply;
    if (Command("list " + Number(MsgIndex), kErrCommand, reply) && MsgIndex > 0)
        listedSize(static_cast<TMsgNumber>(MsgIndex), Size);
}

void TMbxPOP::GetMsgHeader(TMsgNumber MsgIndex, std::string& Header) {
    GetMsgTop(MsgIndex, 0, Header);
}

void TMbxPOP::GetMsgTop(TMsgNumber MsgIndex, uint32_t Lines, std::string& Text) {
    if (!connected_)
        throw std::runtime_error("Not connected.");
    Text.clear();
    std::string s;
    const bool answered =
        Command("TOP " + Number(unsigned{MsgIndex}) + " " + Number(unsigned{Lines}), kErrHeader, s,
                TopBudget(Lines));
    NoteTopAnswer();
    if (!answered)
        return;
    if (const auto cut = BodyCut(Lines))
        ReceiveCutBody(s, *cut);
    else
        ReceiveMultiLine(s);
    Text = headerOf(s);
}

void TMbxPOP::GetUIDL(int MsgIndex, std::string& UIDL) {
    UIDL.clear();
    std::string reply;
    if (Command("UIDL " + Number(MsgIndex), kErrCommand, reply))
        UIDL = AfterFirstBlank(replyText_);
}

void TMbxPOP::DeleteMsg(TMsgNumber MsgIndex) {
    if (!connected_)
        throw std::runtime_error("Not connected.");
    processMessages();
    std::string reply;
    if (!Command("DELE " + Number(unsigned{MsgIndex}), kErrDelete, reply))
        return;
    noteDeleted(MsgIndex);
}

bool TMbxPOP::Quit() {
    if (!connected_)
        return true;
    // Cancel may close the socket in the event hook before the send: then nothing went out.
    const std::string quit = "QUIT" + kCRLF;
    processMessages();
    if (socket_->Socket()->SendBytes(quit.data(), static_cast<int>(quit.size())) ==
        static_cast<int>(quit.size()))
        quitState_ = TQuitState::Sent;
    beginAnswer();
    if (OnSendTextToSocket)
        OnSendTextToSocket(this, quit);
    std::string reply;
    ReceiveText(reply);
    if (failed_) {
        ReportError(kErrQuit);
        return false;
    }
    // A session closed meanwhile (Cancel) answers nothing: that is no "+OK".
    if (replyStatus_ == "+OK")
        quitState_ = TQuitState::Taken;
    socket_->Close();
    connected_ = false;
    processMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return true;
}

bool TMbxPOP::RequestCapabilities() {
    if (!connected_)
        throw std::runtime_error("Not connected.");
    capabilities_ = {};
    std::string answer;
    // Servers older than CAPA refuse it; that tells only that they list nothing.
    if (!TryCommand("CAPA", answer,
                    {pop3_timeouts::kMaxCapabilityAnswer, SocketErrorText(EMSGSIZE, "recv")}))
        return false;
    ReceiveMultiLine(answer);
    judge(answer); // the answer's status, not that of its last chunk
    capabilities_ = ParseCapabilities(answer);
    return capabilities_.Known;
}

std::unique_ptr<TMbxMsg> TMbxPOP::Retrieve(TMsgNumber MsgIndex) {
    return RetrieveMsg(MsgIndex, false);
}

std::unique_ptr<TMbxMsg> TMbxPOP::RetrieveMsg(TMsgNumber MsgIndex, bool HeaderOnly) {
    if (!connected_)
        throw std::runtime_error("Not connected.");
    if (OnBeforeRetrieve)
        OnBeforeRetrieve(this, MsgIndex);
    // Owner-only and deleted by its owner on every way out of here, exceptions included.
    RetrievalFile file;
    const std::string number = Number(unsigned{MsgIndex});

    std::string data;
    SendText("LIST " + number + kCRLF);
    ReceiveText(data);
    // Not judged on purpose: a refused LIST just leaves the default size.
    const int32_t listedSize = WordAsInt(replyText_, 2, 100);
    // The budget treats a size that is not a number as not listed at all.
    TAnswerBudget budget = RetrievalBudget(WordAsInt(replyText_, 2, 0), AnswerLimits);

    lastUsedRetr_ = false;
    if (HeaderOnly) {
        SendText("TOP " + number + " 0" + kCRLF, budget);
        ReceiveText(data);
        NoteTopAnswer();
    } else {
        // A look must stay a look: RETR counts as a download on some servers, TOP does not.
        bool answered = false;
        if (!WholeMailByRetr && topUse_ != TTopUse::No) {
            answered = TryCommand(WholeMailTop(MsgIndex), data, budget);
            topUse_ = answered ? TTopUse::Yes : TTopUse::No;
        }
        if (!answered) {
            lastUsedRetr_ = true;
            SendText("RETR " + number + kCRLF, budget);
            ReceiveText(data);
        }
    }
    if (failed_) {
        file.Delete(); // gone before anyone hears of the error
        ReportError(kErrRetrieve);
        return nullptr;
    }

    NextProgress = RetrieveProgressStep;
    LastPercent = 0;
    auto append = [&](const std::string& bytes) {
        try {
            file.Append(bytes);
        } catch (const std::system_error& e) {
            // The answer can no longer be followed; drop the session rather than desynchronise.
            // The text names the file and the system's reason, e.g. a full disk.
            const int code = e.code().value();
            closeAndReport(this, code, e.what());
            throw ESocketError(e.what(), FailureCauseOf(code), code);
        }
    };
    append(data);
    // Only the last four bytes are kept to find a terminator split across two chunks.
    while (data.find(kTerminator) == std::string::npos) {
        processMessages();
        std::string chunk;
        const std::string tail = data.size() > 4 ? data.substr(data.size() - 4) : data;
        ReceiveChunk(chunk);
        data = tail + chunk;
        append(chunk);
        const uint16_t percent = RetrievePercent(file.Size(), listedSize);
        LastPercent = percent;
        if (percent >= NextProgress) {
            if (OnRetrieveProgress)
                OnRetrieveProgress(this, percent);
            NextProgress = static_cast<uint16_t>(NextProgress + RetrieveProgressStep);
        }
    }
    if (LastPercent < 100 && OnRetrieveProgress)
        OnRetrieveProgress(this, 100);

    auto msg = std::make_unique<TMbxMsg>();
    msg->RawMail = file.Lines();
    file.Delete();
    // Without the +OK status line and the terminating ".", and a doubled leading dot undone.
    const size_t lines = msg->RawMail.size();
    msg->RawMail.KeepLines(1, lines < 2 ? 0 : lines - 2, [](std::string_view line) -> size_t {
        return line.size() > 1 && line[0] == '.' ? 1 : 0;
    });
    msg->Size = listedSize;
    msg->ClearRawMailAfterParse = !KeepRawMail;
    msg->Parse();
    if (GetUIDLsOnRetrieve)
        GetUIDL(MsgIndex, msg->UIDL);
    if (OnAfterRetrieve)
        OnAfterRetrieve(this);
    return msg;
}
