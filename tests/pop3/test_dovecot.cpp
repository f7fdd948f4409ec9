// TMbxPOP against a real Dovecot POP3 server on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "DovecotMails.h"
#include "DovecotServer.h"
#include "MbxPOP3.h"

namespace {

class Dovecot : public ::testing::Test {
protected:
    void SetUp() override {
        SKIP_WITHOUT_DOVECOT();
        attachment_ = AttachmentBytes();
        for (int n = 1; n <= 5; ++n)
            mails_.push_back(n == 3 ? MultipartMail(n, attachment_) : PlainMail(n));
        server_ = std::make_unique<DovecotServer>("bob", "s3cret pass", mails_);
        pop_.Host = "127.0.0.1";
        pop_.Port = std::to_string(server_->port());
        pop_.Security = TSecurity::None;
        pop_.UserId = "bob";
        pop_.OnError = [this](TObject*, int code, const std::string& text) {
            errors_.push_back(std::to_string(code) + " " + text);
        };
    }

    // The client gives the password up once PASS went out: each session is given it anew.
    void LogIn() {
        pop_.UserPasswd = "s3cret pass";
        pop_.Connect();
        ASSERT_TRUE(pop_.Connected()) << pop_.OpenError();
        ASSERT_FALSE(pop_.Failed());
        ASSERT_TRUE(pop_.Login()) << server_->Log();
    }

    std::string attachment_;
    std::vector<std::string> mails_;
    std::unique_ptr<DovecotServer> server_;
    TMbxPOP pop_;
    std::vector<std::string> errors_;
};

} // namespace

TEST_F(Dovecot, WrongPasswordIsRefusedWith2001) {
    pop_.UserPasswd = "wrong";
    pop_.Connect();
    ASSERT_TRUE(pop_.Connected());
    EXPECT_FALSE(pop_.Login());
    EXPECT_FALSE(pop_.Connected());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].substr(0, 5), "2001 ");
}

TEST_F(Dovecot, ListsEveryMessageWithHeaderAndSize) {
    LogIn();
    pop_.Stat();
    EXPECT_EQ(pop_.MessageCount(), mails_.size());
    size_t total = 0;
    for (const auto& m : mails_)
        total += m.size();
    EXPECT_EQ(pop_.MailboxSize(), std::to_string(total));
    for (TMsgNumber n = 1; n <= mails_.size(); ++n) {
        SCOPED_TRACE(n);
        std::string header, size;
        pop_.GetMsgHeader(n, header);
        pop_.GetMsgSize(n, size);
        const std::string& mail = mails_[n - 1];
        EXPECT_EQ(header, mail.substr(0, mail.find("\r\n\r\n") + 4) + ".\r\n");
        EXPECT_EQ(size, std::to_string(mail.size()));
    }
    pop_.Quit();
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(server_->RemainingMessages(), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(Dovecot, RetrievedAttachmentEqualsTheOriginalBytes) {
    LogIn();
    int lastPercent = -1;
    pop_.OnRetrieveProgress = [&](TObject*, uint16_t p) { lastPercent = p; };
    pop_.GetUIDLsOnRetrieve = true;
    auto msg = pop_.Retrieve(3);
    ASSERT_NE(msg, nullptr);
    EXPECT_EQ(msg->Subject, "Mail number 3");
    EXPECT_EQ(msg->Size, int32_t(mails_[2].size()));
    EXPECT_FALSE(msg->UIDL.empty());
    EXPECT_GE(lastPercent, 100);
    ASSERT_EQ(msg->Attachments.Count(), 1);
    EXPECT_EQ(msg->Attachments.Items(0).FileName, "noise.bin");
    EXPECT_TRUE(msg->Attachments.Items(0).Data == attachment_) << "decoded bytes differ";

    auto plain = pop_.Retrieve(2);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->Text, (std::vector<std::string>{"Hello 2", ".starts with a dot"}));
    pop_.Quit();
    EXPECT_TRUE(errors_.empty());
}

TEST_F(Dovecot, WholeMailThroughTopEqualsRetrAndLeavesTheMailUnseen) {
    LogIn();
    EXPECT_TRUE(pop_.Capabilities().Top);
    auto byTop = pop_.Retrieve(3);
    ASSERT_NE(byTop, nullptr);
    EXPECT_FALSE(pop_.LastRetrievalUsedRetr());
    pop_.Quit();
    EXPECT_EQ(server_->SeenMessages(), std::vector<int>{});

    // RETR in a second session: the same bytes, and the mail is seen after it.
    pop_.WholeMailByRetr = true;
    LogIn();
    auto byRetr = pop_.Retrieve(3);
    ASSERT_NE(byRetr, nullptr);
    EXPECT_TRUE(pop_.LastRetrievalUsedRetr());
    pop_.Quit();
    EXPECT_TRUE(byTop->RawMail == byRetr->RawMail) << "TOP and RETR gave different mails";
    for (const auto* msg : {byTop.get(), byRetr.get()}) {
        ASSERT_EQ(msg->Attachments.Count(), 1);
        EXPECT_TRUE(msg->Attachments.Items(0).Data == attachment_) << "decoded bytes differ";
    }
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(server_->SeenMessages(), std::vector<int>{3});
}

TEST(DovecotPipelining, PipelinedListingEqualsLockStepRowByRowAndDeletesTheSame) {
    SKIP_WITHOUT_DOVECOT();
    std::vector<std::string> mails;
    constexpr int kMails = 3000; // a window of 16 KiB holds some 700 mails' commands
    for (int n = 1; n <= kMails; ++n)
        mails.push_back(n % 7 == 0 ? MultipartMail(n, AttachmentBytes()) : PlainMail(n));
    DovecotServer server("bob", "pw", mails);
    std::vector<std::vector<std::string>> listings;
    for (const bool pipelined : {false, true}) { // deleting last
        TMbxPOP pop;
        pop.Host = "127.0.0.1";
        pop.Port = std::to_string(server.port());
        pop.UserId = "bob";
        pop.UserPasswd = "pw";
        pop.Security = TSecurity::None;
        pop.AllowPipelining = pipelined;
        std::string sends;
        pop.OnSendTextToSocket = [&](TObject*, const std::string& s) { sends += s + "|"; };
        pop.Connect();
        ASSERT_TRUE(pop.Login()) << server.Log();
        EXPECT_TRUE(pop.Capabilities().Pipelining);
        pop.Stat();
        auto& rows = listings.emplace_back();
        EXPECT_EQ(
            pop.ListMails(pop.MessageCount(),
                          [&](TMsgNumber n, const std::string& header, const std::string& size) {
                              rows.push_back(std::to_string(n) + "|" + size + "|" + header);
                          },
                          {}),
            TMbxPOP::TPassEnd::Complete);
        EXPECT_EQ(sends.find("TOP 1 0\r\n|") == std::string::npos, pipelined);
        if (pipelined) { // the highest first, as the window deletes
            EXPECT_EQ(pop.DeleteMails({kMails, 1501, 1500, 2}, {}), TMbxPOP::TPassEnd::Complete);
            EXPECT_EQ(pop.MessageCount(), kMails - 4);
        }
        pop.Quit();
    }
    ASSERT_EQ(listings[0].size(), mails.size());
    EXPECT_EQ(listings[0], listings[1]);
    const auto remaining = server.RemainingMessages();
    EXPECT_EQ(remaining.size(), size_t{kMails - 4});
    for (int gone : {2, 1500, 1501, kMails})
        EXPECT_EQ(std::count(remaining.begin(), remaining.end(), gone), 0) << gone;
}

TEST_F(Dovecot, DeletedMessagesGoAtQuitOnly) {
    LogIn();
    pop_.Stat();
    pop_.DeleteMsg(4);
    pop_.DeleteMsg(2);
    EXPECT_EQ(pop_.MessageCount(), 3);
    EXPECT_EQ(server_->RemainingMessages(), (std::vector<int>{1, 2, 3, 4, 5}));
    pop_.Quit();
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(server_->RemainingMessages(), (std::vector<int>{1, 3, 5}));
}

TEST_F(Dovecot, RefusalAfterDeleteLeavesEverything) {
    LogIn();
    pop_.DeleteMsg(1);
    pop_.DeleteMsg(99); // refused: the session is dropped without QUIT
    EXPECT_FALSE(pop_.Connected());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].substr(0, 5), "2003 ");
    pop_.Quit(); // nothing to do any more
    server_->Stop();
    EXPECT_EQ(server_->RemainingMessages(), (std::vector<int>{1, 2, 3, 4, 5}));
}
