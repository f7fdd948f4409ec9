#pragma once

#include "NumberRuns.h"

#include <cstddef>
#include <deque>

// The marks of the listed mails by message number, and the changes that took marks away,
// so that each can be undone: a stray click or PageDown replaces every mark.
class TMarkHistory {
public:
    // How many such changes are kept, newest first.
    static constexpr std::size_t Depth = 10;

    // The marks are now `marks`. When that took marks away since the last note, the change
    // is kept: the marks it took and those it gave.
    void Note(const TNumberRuns& marks);
    // The marks are now `marks` without a change of the user's (mails deleted): nothing is
    // kept, and no change kept before is forgotten.
    void Take(const TNumberRuns& marks);
    // A new listing: no marks and no changes.
    void Forget();

    std::size_t Steps() const { return changes_.size(); }
    const TNumberRuns& Marks() const { return marks_; }
    // The marks without the newest change kept: the marks it took come back, those it gave
    // go, marks made since stay. They become the marks now; the change is forgotten.
    TNumberRuns Undo();

private:
    struct TChange {
        TNumberRuns Took;
        TNumberRuns Gave;
    };
    TNumberRuns marks_;
    std::deque<TChange> changes_; // oldest first
};

// Marks after inverting those of the shown mails: a shown mail marked is unmarked and the
// other way round; the hidden mails keep what they had.
TNumberRuns InvertedMarks(const TNumberRuns& marks, const TNumberRuns& shown);
