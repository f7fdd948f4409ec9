// Undo for marks as plain data: the changes that took marks away, inverting the shown
// marks, and which rows show while only marked mails are shown.
#include "FindFilter.h"
#include "MarkHistory.h"

#include <QString>

#include <gtest/gtest.h>

#include <numeric>

namespace {

using Numbers = std::vector<int>;

TNumberRuns Set(const Numbers& numbers) {
    return TNumberRuns::Of(numbers);
}

TEST(MarkHistory, UndoBringsBackWhatAChangeTookAndTakesWhatItGave) {
    enum TDo { Note, Undo, Invert, Take };
    struct Step {
        const char* what;
        TDo act;
        Numbers marks; // Note and Take: the marks now; Invert: the rows shown
        Numbers expected;
        std::size_t steps;
    };
    const Step steps[] = {
        {"rules mark", Note, {2, 3, 4, 7}, {2, 3, 4, 7}, 0},
        {"a click on 5", Note, {5}, {5}, 1},
        {"ctrl-click adds 9", Note, {5, 9}, {5, 9}, 1},
        {"undo: 5 from the click goes, 9 stays", Undo, {}, {2, 3, 4, 7, 9}, 0},
        {"nothing left to undo", Undo, {}, {2, 3, 4, 7, 9}, 0},
        {"unmark all", Note, {}, {}, 1},
        {"undo unmark all", Undo, {}, {2, 3, 4, 7, 9}, 0},
        {"invert while 1 to 5 are shown", Invert, {1, 2, 3, 4, 5}, {1, 5, 7, 9}, 1},
        {"undo invert", Undo, {}, {2, 3, 4, 7, 9}, 0},
        {"page down", Note, {12}, {12}, 1},
        {"the row of 12 removed: no change of the user's", Take, {}, {}, 1},
        {"undo still brings back what page down took", Undo, {}, {2, 3, 4, 7, 9}, 0},
    };
    TMarkHistory history;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        switch (step.act) {
        case Note:
            history.Note(Set(step.marks));
            break;
        case Undo:
            EXPECT_EQ(history.Undo(), Set(step.expected));
            break;
        case Invert:
            history.Note(InvertedMarks(history.Marks(), Set(step.marks)));
            break;
        case Take:
            history.Take(Set(step.marks));
            break;
        }
        EXPECT_EQ(history.Marks().Numbers(), step.expected);
        EXPECT_EQ(history.Steps(), step.steps);
    }
    history.Forget();
    EXPECT_TRUE(history.Marks().Empty());
    EXPECT_EQ(history.Steps(), 0u);
}

TEST(MarkHistory, TheLastTenChangesAreKept) {
    TMarkHistory history;
    // Each click moves the one mark on: eleven changes that take a mark.
    for (int n = 1; n <= 12; ++n)
        history.Note(Set({n}));
    EXPECT_EQ(history.Steps(), TMarkHistory::Depth);
    for (std::size_t undo = 0; undo < TMarkHistory::Depth; ++undo)
        history.Undo();
    EXPECT_EQ(history.Marks().Numbers(), Numbers{2}) << "the oldest change is forgotten";
    EXPECT_EQ(history.Steps(), 0u);
}

TEST(NumberRuns, AWholeMailboxIsOneRunAndSetsCombine) {
    Numbers all(100000);
    std::iota(all.rbegin(), all.rend(), 1); // as a sorted column lists them
    const TNumberRuns box = Set(all);
    EXPECT_EQ(box.Runs().size(), 1u);
    EXPECT_EQ(box.Count(), 100000);

    const TNumberRuns a = Set({1, 2, 3, 5, 9, 10, 11, 3});
    const TNumberRuns b = Set({3, 4, 10, 20});
    EXPECT_EQ(a.Runs().size(), 3u);
    EXPECT_EQ(a.Count(), 7);
    EXPECT_EQ(a.Plus(b).Numbers(), (Numbers{1, 2, 3, 4, 5, 9, 10, 11, 20}));
    EXPECT_EQ(a.Plus(b).Runs().size(), 3u) << "neighbouring runs join";
    EXPECT_EQ(a.Minus(b).Numbers(), (Numbers{1, 2, 5, 9, 11}));
    EXPECT_EQ(a.Both(b).Numbers(), (Numbers{3, 10}));
    EXPECT_EQ(box.Minus(Set({1, 50000, 100000})).Runs().size(), 2u);
    for (const auto& [number, in] : std::vector<std::pair<int, bool>>{
             {0, false}, {1, true}, {4, false}, {5, true}, {8, false}, {11, true}, {12, false}})
        EXPECT_EQ(a.Contains(number), in) << number;
}

TEST(RowFilter, OnlyMarkedCombinesWithFind) {
    // Rows 1 to 6; Anna wrote 1 to 3.
    const auto text = [](int n) {
        return QStringLiteral(" %1 | 1 KByte |01 May 2000|%2|Note %1|")
            .arg(n)
            .arg(n <= 3 ? "Anna <anna@example.org>" : "Bert <bert@example.org>");
    };
    const TNumberRuns marked = Set({2, 3, 5});
    const TNumberRuns none;
    struct Case {
        const char* needle;
        const TNumberRuns* only;
        Numbers shown;
    };
    const Case cases[] = {
        {"", nullptr, {1, 2, 3, 4, 5, 6}}, {"anna", nullptr, {1, 2, 3}}, {"", &marked, {2, 3, 5}},
        {"ANNA", &marked, {2, 3}},         {"carl", &marked, {}},        {"", &none, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.needle);
        const TRowFilter filter{QString::fromUtf8(c.needle), c.only};
        EXPECT_EQ(filter.Active(), c.only || *c.needle);
        Numbers shown;
        for (int n = 1; n <= 6; ++n) {
            if (RowShown(text(n), n, filter))
                shown.push_back(n);
        }
        EXPECT_EQ(shown, c.shown);
    }
}

} // namespace
