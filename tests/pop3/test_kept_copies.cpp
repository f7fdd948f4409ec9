// Copies kept before deleting, and the unique ids remembered between listings, against a real
// Dovecot on loopback.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include <sys/stat.h>

#include "DovecotMails.h"
#include "DovecotServer.h"
#include "KeptCopies.h"
#include "MbxPOP3.h"
#include "SeenMails.h"
#include "SessionFixture.h"

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The mail as a multi-line answer carries it.
std::string Stuffed(const std::string& mail) {
    std::string wire = mail[0] == '.' ? "." : "";
    for (const char c : mail) {
        wire += c;
        if (wire.ends_with("\r\n.") && c == '.')
            wire += '.';
    }
    return wire + ".\r\n";
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

std::vector<std::string> FiveMails() {
    std::vector<std::string> mails;
    for (int n = 1; n <= 5; ++n)
        mails.push_back(n == 3 ? MultipartMail(n, AttachmentBytes()) : PlainMail(n));
    return mails;
}

// One session with a Dovecot, its errors and sends recorded.
struct Session {
    explicit Session(const DovecotServer& server, bool pipelined = true) {
        pop.Host = "127.0.0.1";
        pop.Port = std::to_string(server.port());
        pop.Security = TSecurity::None;
        pop.UserId = server.user();
        pop.UserPasswd = server.password();
        pop.AllowPipelining = pipelined;
        pop.OnError = [this](TObject*, int code, const std::string& text) {
            errors.push_back(std::to_string(code) + " " + text);
        };
        pop.OnSendTextToSocket = [this](TObject*, const std::string& s) { sends += s + "|"; };
        pop.OnReceiveTextFromSocket = [this](TObject*, const std::string& s) { received += s; };
        pop.Connect();
        EXPECT_TRUE(pop.Login()) << server.Log();
        pop.Stat();
    }

    // Deletes the mails numbered with copies into copies; the mails deleted, in order.
    std::vector<TMsgNumber> DeleteWithCopies(TKeptCopies& copies,
                                             const std::vector<std::string>& mails,
                                             const std::vector<TMsgNumber>& numbers,
                                             uint64_t limit) {
        std::vector<TMbxPOP::TMarkedMail> marked;
        for (const TMsgNumber n : numbers)
            marked.push_back({n, mails[n - 1].size()});
        std::vector<TMsgNumber> deleted;
        const auto keep = [&](TMsgNumber n, const std::string& mail) -> std::string {
            try {
                kept[n] = copies.Keep(mail, 1'800'000'000'000);
                return {};
            } catch (const std::system_error& e) {
                return e.what();
            }
        };
        end = pop.DeleteWithCopies(
            marked, limit, keep, [&](TMsgNumber n) { deleted.push_back(n); }, failures);
        return deleted;
    }

    TMbxPOP pop;
    std::vector<std::string> errors;
    std::string sends; // each send followed by "|"
    std::string received;
    std::map<TMsgNumber, std::string> kept; // mail and its copy
    std::vector<TMbxPOP::TCopyFailure> failures;
    TMbxPOP::TPassEnd end = TMbxPOP::TPassEnd::Cancelled;
};

} // namespace

// Each copy holds what RETR gives and is written before the first DELE; the mail over the
// limit goes without one.
TEST(KeptCopies, CopiesEqualRetrAndTheMailOverTheLimitGoesWithout) {
    const std::vector<std::string> mails = FiveMails();
    const uint64_t limit = mails[2].size() - 1; // mail 3 is the big one
    struct Row {
        bool pipelined;
        std::vector<TMsgNumber> marked;
        std::vector<int> remaining;
    } rows[] = {{true, {5, 3, 1}, {2, 4}}, {false, {4, 3, 2}, {1, 5}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.pipelined ? "pipelined" : "lock-step");
        DovecotServer server("bob", "pw", mails);
        const PrivateTempDir tmp; // after the server: its folder must stay open to Dovecot
        std::string retr;         // what RETR carries of the marked mails
        {
            Session first(server);
            first.pop.WholeMailByRetr = true;
            first.received.clear();
            for (const TMsgNumber n : row.marked)
                first.pop.Retrieve(n);
            first.pop.Quit();
            retr = first.received;
        }
        const std::string folder = tmp.path() + "/Deleted/acct";
        TKeptCopies copies(folder);
        Session session(server, row.pipelined);
        session.sends.clear();
        EXPECT_EQ(session.DeleteWithCopies(copies, mails, row.marked, limit), row.marked);
        EXPECT_EQ(session.end, TMbxPOP::TPassEnd::Complete);
        EXPECT_TRUE(session.failures.empty());
        session.pop.Quit();
        EXPECT_EQ(session.errors, std::vector<std::string>{});
        EXPECT_EQ(server.RemainingMessages(), row.remaining) << server.Log();

        const std::string& sent = session.sends;
        EXPECT_LT(sent.rfind("999999999"), sent.find("DELE ")) << sent;
        EXPECT_EQ(sent.find("TOP 3 "), std::string::npos) << "fetched over the limit: " << sent;
        const std::string twoInOneSend = "TOP " + std::to_string(row.marked[0]) +
                                         " 999999999\r\nTOP " + std::to_string(row.marked[2]) +
                                         " 999999999\r\n|";
        EXPECT_EQ(sent.find(twoInOneSend) != std::string::npos, row.pipelined) << sent;
        const auto listed = copies.List();
        ASSERT_EQ(listed.size(), 2u);
        ASSERT_EQ(session.kept.size(), 2u);
        for (const TMsgNumber n : {row.marked[0], row.marked[2]}) {
            SCOPED_TRACE(n);
            const std::string& file = session.kept[n];
            EXPECT_TRUE(ReadFile(file) == mails[n - 1]) << "the copy differs from the mail";
            EXPECT_NE(retr.find("\r\n" + Stuffed(mails[n - 1])), std::string::npos)
                << "RETR gave another mail";
            EXPECT_EQ(ModeOf(file), 0600u);
            const auto copy = std::find_if(listed.begin(), listed.end(),
                                           [&](const TKeptCopy& c) { return c.File == file; });
            ASSERT_NE(copy, listed.end());
            EXPECT_EQ(copy->Size, mails[n - 1].size());
            EXPECT_EQ(copy->Header, Header(static_cast<int>(n)) + "\r\n");
            EXPECT_EQ(copy->Account, "acct");
            EXPECT_EQ(copy->DeletedAt, 1'800'000'000'000);
        }
        EXPECT_LT(session.kept[row.marked[0]], session.kept[row.marked[2]]) << "names sort";
        EXPECT_EQ(ModeOf(folder), 0700u);
    }
}

// No copy, no DELE: a folder that cannot be made leaves every mail, and says which folder.
TEST(KeptCopies, FolderThatCannotBeWrittenDeletesNothing) {
    DovecotServer server("bob", "pw", FiveMails());
    const PrivateTempDir tmp;
    const std::string blocker = tmp.path() + "/a-file";
    std::ofstream(blocker) << "not a folder";
    const std::string folder = blocker + "/acct";
    TKeptCopies copies(folder);
    Session session(server);
    EXPECT_EQ(session.DeleteWithCopies(copies, FiveMails(), {2, 4}, kMaxKeptCopySize),
              std::vector<TMsgNumber>{});
    EXPECT_EQ(session.end, TMbxPOP::TPassEnd::Complete);
    ASSERT_EQ(session.failures.size(), 2u);
    for (const auto& failure : session.failures)
        EXPECT_NE(failure.Why.find(folder + ": Not a directory"), std::string::npos) << failure.Why;
    EXPECT_EQ(session.sends.find("DELE"), std::string::npos);
    session.pop.Quit();
    EXPECT_EQ(server.RemainingMessages(), (std::vector<int>{1, 2, 3, 4, 5}));
}

// The ids listed are remembered: the next listing tells the mails that came since, and how
// long each has been there.
TEST(SeenMails, NewMailsAreTheOnesAddedSinceTheLastListing) {
    DovecotServer server("bob", "pw", {PlainMail(1), PlainMail(2), PlainMail(3)});
    const PrivateTempDir tmp;
    const std::string file = tmp.path() + "/seen";
    struct Row {
        std::vector<std::string> added; // before the listing
        int64_t now;
        std::vector<bool> isNew;
        std::vector<int64_t> since;
        TMsgNumber deleteAfter; // 0: none
    } rows[] = {
        {{}, 1000, {false, false, false}, {1000, 1000, 1000}, 2},
        {{PlainMail(4), PlainMail(5)},
         2000,
         {false, false, true, true},
         {1000, 1000, 2000, 2000},
         0},
        {{}, 3000, {false, false, false, false}, {1000, 1000, 2000, 2000}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.now);
        server.AddMails(row.added);
        Session session(server, row.now != 2000);
        std::vector<std::string> ids;
        EXPECT_EQ(
            session.pop.ListMailsWithIds(session.pop.MessageCount(),
                                         [&](TMsgNumber, const std::string&, const std::string&,
                                             const std::string& id) { ids.push_back(id); },
                                         {}),
            TMbxPOP::TPassEnd::Complete);
        TSeenMails seen = TSeenMails::Load(file);
        EXPECT_EQ(seen.Listed(), row.now != 1000);
        std::vector<bool> isNew;
        std::vector<int64_t> since;
        for (const auto& sighting : seen.Note(ids, row.now)) {
            isNew.push_back(sighting.New);
            since.push_back(sighting.Since);
        }
        seen.Save(file);
        EXPECT_EQ(isNew, row.isNew);
        EXPECT_EQ(since, row.since);
        if (row.deleteAfter)
            session.pop.DeleteMsg(row.deleteAfter);
        session.pop.Quit();
        EXPECT_EQ(session.errors, std::vector<std::string>{});
    }
    EXPECT_EQ(ModeOf(file), 0600u);
}
