#pragma once

#include <utility>
#include <vector>

// A set of message numbers kept as ascending, disjoint runs of neighbours: the marks of a
// whole mailbox are one run, not 100,000 entries.
class TNumberRuns {
public:
    using TRun = std::pair<int, int>; // first and last number, both in the set

    TNumberRuns() = default;
    // Numbers in any order; the same number twice counts once.
    static TNumberRuns Of(std::vector<int> numbers);

    bool Empty() const { return runs_.empty(); }
    int Count() const;
    bool Contains(int number) const;
    const std::vector<TRun>& Runs() const { return runs_; }
    std::vector<int> Numbers() const;

    TNumberRuns Plus(const TNumberRuns& other) const;
    TNumberRuns Minus(const TNumberRuns& other) const;
    TNumberRuns Both(const TNumberRuns& other) const;

    bool operator==(const TNumberRuns& other) const = default;

private:
    // Appends a run that starts after every run there is, joining a neighbour.
    void Append(TRun run);

    std::vector<TRun> runs_;
};
