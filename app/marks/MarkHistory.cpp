#include "MarkHistory.h"

void TMarkHistory::Note(const TNumberRuns& marks) {
    TNumberRuns took = marks_.Minus(marks);
    if (!took.Empty()) {
        changes_.push_back({std::move(took), marks.Minus(marks_)});
        if (changes_.size() > Depth)
            changes_.pop_front();
    }
    marks_ = marks;
}

void TMarkHistory::Take(const TNumberRuns& marks) {
    marks_ = marks;
}

void TMarkHistory::Forget() {
    marks_ = {};
    changes_.clear();
}

TNumberRuns TMarkHistory::Undo() {
    if (changes_.empty())
        return marks_;
    const TChange change = std::move(changes_.back());
    changes_.pop_back();
    marks_ = marks_.Minus(change.Gave).Plus(change.Took);
    return marks_;
}

TNumberRuns InvertedMarks(const TNumberRuns& marks, const TNumberRuns& shown) {
    return marks.Minus(shown).Plus(shown.Minus(marks));
}
