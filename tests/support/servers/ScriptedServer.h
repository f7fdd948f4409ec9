#pragma once

// A loopback server that plays a fixed script: it sends exact bytes in exact pieces and
// records everything the client sends. It runs on its own thread, so the client under test
// (a TMbxPOP, or a whole main window) can block on the test's thread.
//
//   ScriptedServer server;                  // listens on 127.0.0.1, port() is free
//   server.Send("+OK ready\r\n");           // greeting
//   server.AwaitLine();                     // client: USER ...
//   server.Send("+OK 2 ");                  // one answer in two pieces
//   server.Send("320\r\n");
//   server.Close();                         // or leave the script open-ended: server goes quiet
//   server.Start();
//   ... run the client against "127.0.0.1" and server.port() ...
//   EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
//   EXPECT_EQ(server.ReceivedLines(), (std::vector<std::string>{"USER bob"}));
//
// Pieces are written with separate send calls, but TCP may still hand two of them to one
// receive. When the split matters, call SetPaced(true) and report every receive of the client
// with NoteClientRead(bytes): each Send then waits until the client has read all bytes sent
// before it (e.g. from TMbxPOP::OnReceiveTextFromSocket).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct ssl_ctx_st;
struct ssl_st;

class ScriptedServer {
public:
    // Listens at once; the script runs from Start() on.
    ScriptedServer();
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    uint16_t port() const { return port_; }

    // Script steps, run in order on the first (or next) connection; all are given before Start.
    void Send(std::string bytes);
    void AwaitLine();        // one line ending in CR LF from the client
    void AwaitBytes();       // any bytes beyond the lines taken so far (e.g. a TLS hello)
    void AwaitClientClose(); // until the client closes its end
    void Close();            // closes the connection
    void Reset();            // aborts the connection: the client sees a reset (ECONNRESET)
    void AcceptNext();       // closes the connection (if any) and waits for a new one
    void Pause(std::chrono::milliseconds pause); // a server that takes its time (keeps reading)
    // Answers every line the client sends with Answer(line) (the line without CR LF), until the
    // line Last has been answered. Like many servers it does not read while it writes: the
    // answers to all lines read so far go out in full before it reads again.
    void AnswerEachLine(std::function<std::string(const std::string& line)> Answer,
                        std::string Last);
    // The kernel's receive and send buffers of the connections, as small as it allows: a
    // client that writes without reading meets a full socket at once.
    void UseSmallestBuffers();
    // TLS from the first byte with this PEM certificate and key: each connection's handshake
    // comes before the script's steps, which then send and read through TLS.
    void UseTls(const std::string& certFile, const std::string& keyFile);

    void SetPaced(bool paced) { paced_ = paced; }
    // Fails the script when the client sends a line before the answer to its previous line:
    // each Send first gives an early line a moment to arrive.
    void SetLockStepCheck(bool check) { lockStepCheck_ = check; }
    void NoteClientRead(size_t bytes) { clientRead_ += bytes; }
    // Upper bound of every wait of a step (default 10 s); a step that runs out fails the script.
    void SetStepTimeout(std::chrono::milliseconds timeout) { stepTimeout_ = timeout; }

    void Start();

    // True once every step ran; false on a time-out or a failed step (see ScriptError()).
    bool WaitForScriptEnd(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // True once the client has closed the current connection.
    bool WaitForClientClose(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::string ScriptError() const;

    // Every byte the client sent, over all connections.
    std::string Received() const;
    // The complete CR LF lines of Received(), without their CR LF.
    std::vector<std::string> ReceivedLines() const;
    int Connections() const { return connections_; }

private:
    enum class StepKind {
        Send,
        AwaitLine,
        AwaitBytes,
        AwaitClose,
        Close,
        Reset,
        AcceptNext,
        Pause,
        AnswerEachLine
    };
    struct Step {
        explicit Step(StepKind k, std::string b = {}, std::chrono::milliseconds p = {},
                      std::function<std::string(const std::string&)> a = {})
            : kind(k), bytes(std::move(b)), pause(p), answer(std::move(a)) {}
        StepKind kind;
        std::string bytes;
        std::chrono::milliseconds pause{0};
        std::function<std::string(const std::string&)> answer;
    };
    bool answerEachLine(const Step& step);

    void run();
    bool runStep(const Step& step);
    bool accept();
    // The TLS handshake of a new connection (UseTls); false after failing the script.
    bool handshake();
    void closeConnection();
    // Reads what is there (waiting at most one slice); false when the client has closed.
    bool readSome();
    bool sendAll(const std::string& bytes);
    void failScript(const std::string& why);
    bool timedOut(std::chrono::steady_clock::time_point start) const;

    struct ContextFree {
        void operator()(ssl_ctx_st* ctx) const;
    };
    struct SslFree {
        void operator()(ssl_st* ssl) const;
    };
    std::unique_ptr<ssl_ctx_st, ContextFree> tlsContext_;
    std::unique_ptr<ssl_st, SslFree> tls_; // the current connection's, with UseTls

    int listenFd_ = -1;
    int connFd_ = -1;
    uint16_t port_ = 0;
    std::vector<Step> steps_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> paced_{false};
    std::atomic<bool> lockStepCheck_{false};
    std::atomic<size_t> clientRead_{0};
    std::atomic<int> connections_{0};
    size_t sentTotal_ = 0;
    size_t lineScan_ = 0; // offset in the current connection's data up to which lines were taken
    std::chrono::milliseconds stepTimeout_{10000};

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string received_;     // all connections
    std::string connReceived_; // current connection
    bool clientClosed_ = false;
    bool scriptDone_ = false;
    std::string scriptError_;
};
