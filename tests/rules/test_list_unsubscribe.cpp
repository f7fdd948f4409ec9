#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ListUnsubscribe.h"

namespace {

using K = TUnsubscribeKind;
using D = TDkimCoverage;

const char* const kFrom = "From: News <news@mail.example.org>\r\n";
const char* const kPost = "List-Unsubscribe-Post: List-Unsubscribe=One-Click\r\n";

struct HeaderForm {
    const char* name;
    std::string fields; // after From
    std::vector<TUnsubscribeMethod> methods;
    D dkim;
    std::string list;
};

std::string Kinds(const std::vector<TUnsubscribeMethod>& methods) {
    std::string out;
    for (const auto& m : methods)
        out += std::to_string(static_cast<int>(m.Kind)) + " " + m.Uri + "\n";
    return out;
}

TEST(ListUnsubscribe, HeaderForms) {
    const std::vector<HeaderForm> forms = {
        {"several URIs, one-click",
         std::string("List-Unsubscribe: <mailto:leave@example.org?subject=stop>, "
                     "<https://example.org/u/1>\r\n") +
             kPost,
         {{K::Mail, "mailto:leave@example.org?subject=stop"},
          {K::OneClick, "https://example.org/u/1"}},
         D::NoSignature,
         "news@mail.example.org"},
        {"folded inside and between the brackets",
         std::string("List-Unsubscribe: <https://example.org/u/\r\n 2?x=1>,\r\n\t<mailto:l@"
                     "example.org>\r\n") +
             kPost,
         {{K::OneClick, "https://example.org/u/2?x=1"}, {K::Mail, "mailto:l@example.org"}},
         D::NoSignature,
         "news@mail.example.org"},
        {"encoded word",
         "List-Unsubscribe: =?utf-8?Q?<https://example.org/u/3>?=\r\n",
         {{K::Page, "https://example.org/u/3"}},
         D::NoSignature,
         "news@mail.example.org"},
        {"http is insecure, even with the Post field",
         std::string("List-Unsubscribe: <http://example.org/u/4>\r\n") + kPost,
         {{K::Insecure, "http://example.org/u/4"}},
         D::NoSignature,
         "news@mail.example.org"},
        {"missing Post field: a page",
         "List-Unsubscribe: <HTTPS://example.org/u/5>\r\n",
         {{K::Page, "HTTPS://example.org/u/5"}},
         D::NoSignature,
         "news@mail.example.org"},
        {"mailto only, with a comment and List-Id",
         "List-Unsubscribe: (by mail) <mailto:off@example.org>\r\n"
         "List-Id: \"Weekly News\" <weekly.example.org>\r\n",
         {{K::Mail, "mailto:off@example.org"}},
         D::NoSignature,
         "weekly.example.org"},
        {"junk: bare text, unknown schemes, empty and unclosed brackets",
         "List-Unsubscribe: please reply, <ftp://example.org/x>, <>, <javascript:x>, "
         "<https://example.org/u/6\r\n",
         {},
         D::NoSignature,
         "news@mail.example.org"},
        {"bare URIs without brackets",
         "List-Unsubscribe: https://example.org/u/7, mailto:x@example.org\r\n",
         {{K::Page, "https://example.org/u/7"}, {K::Mail, "mailto:x@example.org"}},
         D::NoSignature,
         "news@mail.example.org"},
        {"Post field with another value",
         "List-Unsubscribe: <https://example.org/u/8>\r\n"
         "List-Unsubscribe-Post: List-Unsubscribe=Yes\r\n",
         {{K::Page, "https://example.org/u/8"}},
         D::NoSignature,
         "news@mail.example.org"},
        {"DKIM of a parent domain names both, folded",
         std::string("List-Unsubscribe: <https://example.org/u/9>\r\n") + kPost +
             "DKIM-Signature: v=1; a=rsa-sha256; d=Example.org; s=s1;\r\n"
             "\th=from:subject:list-unsubscribe:list-\r\n unsubscribe-post; b=abc\r\n",
         {{K::OneClick, "https://example.org/u/9"}},
         D::Covers,
         "news@mail.example.org"},
        {"DKIM of the sender leaves the Post field out",
         std::string("List-Unsubscribe: <https://example.org/u/10>\r\n") + kPost +
             "DKIM-Signature: v=1; d=mail.example.org; h=From:List-Unsubscribe; b=x\r\n",
         {{K::OneClick, "https://example.org/u/10"}},
         D::LeavesOut,
         "news@mail.example.org"},
        {"DKIM of another domain only, one that merely ends alike",
         std::string("List-Unsubscribe: <https://example.org/u/11>\r\n") + kPost +
             "DKIM-Signature: d=esp.net; h=List-Unsubscribe:List-Unsubscribe-Post\r\n"
             "DKIM-Signature: d=le.example.org; h=List-Unsubscribe:List-Unsubscribe-Post\r\n",
         {{K::OneClick, "https://example.org/u/11"}},
         D::OtherDomain,
         "news@mail.example.org"},
    };
    for (const HeaderForm& form : forms) {
        SCOPED_TRACE(form.name);
        const TUnsubscribeOffer offer =
            UnsubscribeOffer(std::string(kFrom) + form.fields + "Subject: x\r\n\r\nbody: x\r\n");
        EXPECT_EQ(Kinds(offer.Methods), Kinds(form.methods));
        EXPECT_EQ(offer.Dkim, form.dkim);
        EXPECT_EQ(offer.List, form.list);
        EXPECT_EQ(offer.Sender, "news@mail.example.org");
    }
}

TEST(ListUnsubscribe, DomainUnderStopsAtLabelsAndTopLevel) {
    EXPECT_TRUE(DomainUnder("a.example.org", "example.org"));
    EXPECT_TRUE(DomainUnder("example.org", "example.org"));
    EXPECT_FALSE(DomainUnder("badexample.org", "example.org"));
    EXPECT_FALSE(DomainUnder("example.org", "org"));
    EXPECT_FALSE(DomainUnder("", ""));
}

} // namespace
