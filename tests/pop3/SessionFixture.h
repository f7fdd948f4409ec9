#pragma once

// A TMbxPOP with every event recorded, a private temporary folder (checked empty at the end)
// and a scripted server whose pieces reach the client one receive each.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "MbxPOP3.h"
#include "ScriptedServer.h"

// Points TMPDIR at a fresh folder for the test's lifetime.
class PrivateTempDir {
public:
    PrivateTempDir() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/pop3test-XXXXXX";
        path_ = ::mkdtemp(pattern.data());
        const char* old = std::getenv("TMPDIR");
        if (old)
            old_ = old;
        hadOld_ = old != nullptr;
        ::setenv("TMPDIR", path_.c_str(), 1);
    }
    ~PrivateTempDir() {
        if (hadOld_)
            ::setenv("TMPDIR", old_.c_str(), 1);
        else
            ::unsetenv("TMPDIR");
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_))
            names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::string path_;
    std::string old_;
    bool hadOld_ = false;
};

// Aims the client at the scripted server.
inline void PointAt(TMbxPOP& pop, const ScriptedServer& server) {
    pop.Host = "127.0.0.1";
    pop.Port = std::to_string(server.port());
    pop.Security = TSecurity::None;
}

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        server.SetPaced(true);
        PointAt(pop, server);
        pop.ReceiveTimeout = std::chrono::seconds(10);
        pop.OnReceiveTextFromSocket = [this](TObject* sender, const std::string& s) {
            EXPECT_EQ(sender, &pop);
            pieces.push_back(s);
            server.NoteClientRead(s.size());
        };
        pop.OnSendTextToSocket = [this](TObject*, const std::string& s) { sent.push_back(s); };
        pop.OnQuit = [this](TObject* sender) {
            events.push_back(sender == &pop.ClientSocket() ? "quit" : "quit(wrong sender)");
        };
        pop.OnConnect = [this](TObject* sender) {
            events.push_back(sender == &pop.ClientSocket() ? "connect" : "connect(wrong sender)");
        };
        pop.OnError = [this](TObject* sender, int code, const std::string& text) {
            const std::string who = sender == &pop                  ? "pop"
                                    : sender == &pop.ClientSocket() ? "socket"
                                                                    : "?";
            events.push_back("error " + who + " " + std::to_string(code) + " " + text);
        };
        pop.OnDelete = [this](TObject*, TMsgNumber n) {
            events.push_back("delete " + std::to_string(n));
        };
        pop.OnRetrieveProgress = [this](TObject*, uint16_t percent) {
            progress.push_back(percent);
        };
        pop.ProcessMessages = [this] { ++hookCalls; };
    }

    void TearDown() override {
        EXPECT_TRUE(tmp.Files().empty()) << "a temporary file was left behind";
    }

    // Starts the script and connects; the script's first step should be the greeting.
    void StartAndConnect() {
        server.Start();
        pop.Connect();
        ASSERT_TRUE(pop.Connected()) << pop.OpenError();
    }

    // The lines the client sent, as the server saw them (after the client is done).
    std::vector<std::string> ServerHeard() {
        EXPECT_TRUE(server.WaitForScriptEnd()) << server.ScriptError();
        return server.ReceivedLines();
    }

    PrivateTempDir tmp; // first: the client's temporary files go here
    ScriptedServer server;
    TMbxPOP pop;
    std::vector<std::string> pieces; // one per receive
    std::vector<std::string> sent;
    std::vector<std::string> events;
    std::vector<uint16_t> progress;
    int hookCalls = 0;
};
