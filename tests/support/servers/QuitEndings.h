#pragma once

// The ways a deletion's session can end, as one table for mbxpop and the window. The server
// carries out the DELEs when it receives QUIT (RFC 1939): every ending after QUIT went out
// leaves the outcome unknown, and the copies must stay; a session dropped before QUIT deleted
// nothing. The mailbox answers every command at once, with unique ids, one command at a time.

#include "ScriptedServer.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

enum class TQuitEnding {
    Refused,    // "-ERR" to QUIT (RFC 1939 allows that some were removed)
    Dropped,    // the connection closed right after QUIT
    TimedOut,   // no answer within the client's time-out
    Cancelled,  // the client gives up while it waits (the window's Cancel, mbxpop's SIGINT)
    BeforeQuit, // the connection closed at the last DELE, before QUIT could go out
    Answered,   // "+OK": a clean end
};

struct TQuitEndingRow {
    const char* Name;
    TQuitEnding Ending;
    bool QuitSent;
};

inline const std::vector<TQuitEndingRow>& QuitEndings() {
    static const std::vector<TQuitEndingRow> rows = {
        {"-ERR to QUIT", TQuitEnding::Refused, true},
        {"dropped after QUIT", TQuitEnding::Dropped, true},
        {"QUIT answered after the time-out", TQuitEnding::TimedOut, true},
        {"cancelled while QUIT is answered", TQuitEnding::Cancelled, true},
        {"dropped before QUIT", TQuitEnding::BeforeQuit, false},
    };
    return rows;
}

// Mail n of the scripted mailboxes, its id "id-n".
inline std::string EndingMail(int n) {
    return "From: sender" + std::to_string(n) + "@example.org\r\nSubject: mail " +
           std::to_string(n) + "\r\n\r\nbody " + std::to_string(n) + "\r\n";
}

// One session on server: the greeting, then every command answered for a mailbox that holds
// the mails numbered in `mails` (in that order: the first is mail 1 of the session), until
// QUIT ends it as `ending` says. lastDele: the DELE at which BeforeQuit drops the connection;
// slow: how long the server takes over each whole mail and each DELE.
inline void ScriptEndingSession(ScriptedServer& server, std::vector<int> mails, TQuitEnding ending,
                                const std::string& lastDele = "DELE 1",
                                std::chrono::milliseconds slow = {}) {
    server.Send("+OK ready\r\n");
    const auto answer = [mails, ending, lastDele, slow](const std::string& line) -> std::string {
        std::vector<std::string> words;
        for (size_t at = 0; at <= line.size();) {
            const size_t blank = std::min(line.find(' ', at), line.size());
            words.push_back(line.substr(at, blank - at));
            at = blank + 1;
        }
        const std::string& command = words[0];
        if (command == "USER" || command == "PASS")
            return "+OK\r\n";
        if (command == "CAPA")
            return "+OK\r\nTOP\r\nUIDL\r\nUSER\r\n.\r\n";
        if (command == "STAT") {
            size_t total = 0;
            for (const int m : mails)
                total += EndingMail(m).size();
            return "+OK " + std::to_string(mails.size()) + " " + std::to_string(total) + "\r\n";
        }
        if (command == "QUIT") {
            if (ending == TQuitEnding::Refused)
                return "-ERR some deleted messages not removed\r\n";
            return ending == TQuitEnding::Answered ? "+OK bye\r\n" : "";
        }
        if (line == lastDele && ending == TQuitEnding::BeforeQuit)
            return "";
        // The whole mailbox at once, as a listing from remembered headers asks.
        if ((command == "LIST" || command == "UIDL") && words.size() == 1) {
            std::string all = "+OK\r\n";
            for (size_t i = 0; i < mails.size(); ++i)
                all += std::to_string(i + 1) + " " +
                       (command == "LIST" ? std::to_string(EndingMail(mails[i]).size())
                                          : "id-" + std::to_string(mails[i])) +
                       "\r\n";
            return all + ".\r\n";
        }
        const size_t n = words.size() > 1 ? std::stoul(words[1]) : 0;
        if (n < 1 || n > mails.size())
            return "-ERR no such mail\r\n";
        const std::string mail = EndingMail(mails[n - 1]);
        if (command == "list" || command == "LIST")
            return "+OK " + words[1] + " " + std::to_string(mail.size()) + "\r\n";
        if (command == "UIDL")
            return "+OK " + words[1] + " id-" + std::to_string(mails[n - 1]) + "\r\n";
        if (command == "TOP" && words.size() > 2 && words[2] == "0")
            return "+OK\r\n" + mail.substr(0, mail.find("\r\n\r\n") + 4) + ".\r\n";
        // A server that takes its time, as one over a slow line or with a large mailbox.
        if (command == "TOP" || command == "RETR" || command == "DELE")
            std::this_thread::sleep_for(slow);
        if (command == "TOP" || command == "RETR")
            return "+OK\r\n" + mail + ".\r\n";
        if (command == "DELE")
            return "+OK marked\r\n";
        return "-ERR unknown command\r\n";
    };
    if (ending == TQuitEnding::BeforeQuit) {
        server.AnswerEachLine(answer, lastDele);
        server.Close();
        return;
    }
    server.AnswerEachLine(answer, "QUIT");
    if (ending == TQuitEnding::Dropped)
        server.Close();
    else
        server.AwaitClientClose();
}
