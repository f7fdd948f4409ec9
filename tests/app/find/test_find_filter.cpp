// Which rows find keeps shown: sender and subject only, without regard to case.
#include "FindFilter.h"

#include <QString>

#include <gtest/gtest.h>

namespace {

TEST(FindFilter, MatchesSenderOrSubjectIgnoringCase) {
    const QString row = QString::fromUtf8(" 7 | 2 KByte |01 May 2000|Jürgen Groß <j@example.org>"
                                          "|Straße frei|");
    struct Case {
        const char* needle;
        bool matches;
    };
    const Case cases[] = {
        {"", true},
        {"jürgen", true},
        {"GROSS", false}, // case, not spelling: ß is no "ss"
        {"GROß", true},
        {"STRASSE", false},
        {"straße", true},
        {"J@EXAMPLE", true},
        {"KByte", false},    // the size is not searched
        {"May 2000", false}, // nor the date
        {"frei|", false},    // nor across fields
        {"Jürgen Groß <j@example.org>|", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.needle);
        EXPECT_EQ(RowMatchesFind(row, QString::fromUtf8(c.needle)), c.matches);
    }
    EXPECT_FALSE(RowMatchesFind(QStringLiteral(" 1 | - | - | - | - |"), QStringLiteral("x")))
        << "a count-only row holds no sender";
}

} // namespace
