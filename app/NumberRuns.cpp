#include "NumberRuns.h"

#include <algorithm>

TNumberRuns TNumberRuns::Of(std::vector<int> numbers) {
    std::sort(numbers.begin(), numbers.end());
    TNumberRuns set;
    for (const int n : numbers) {
        if (set.runs_.empty() || n > set.runs_.back().second + 1)
            set.runs_.push_back({n, n});
        else
            set.runs_.back().second = std::max(set.runs_.back().second, n);
    }
    return set;
}

int TNumberRuns::Count() const {
    int count = 0;
    for (const auto& [first, last] : runs_)
        count += last - first + 1;
    return count;
}

bool TNumberRuns::Contains(int number) const {
    // The first run that ends at the number or after it.
    const auto run = std::lower_bound(runs_.begin(), runs_.end(), number,
                                      [](const TRun& r, int n) { return r.second < n; });
    return run != runs_.end() && run->first <= number;
}

std::vector<int> TNumberRuns::Numbers() const {
    std::vector<int> numbers;
    numbers.reserve(static_cast<std::size_t>(Count()));
    for (const auto& [first, last] : runs_) {
        for (int n = first; n <= last; ++n)
            numbers.push_back(n);
    }
    return numbers;
}

void TNumberRuns::Append(TRun run) {
    if (!runs_.empty() && run.first <= runs_.back().second + 1)
        runs_.back().second = std::max(runs_.back().second, run.second);
    else
        runs_.push_back(run);
}

TNumberRuns TNumberRuns::Plus(const TNumberRuns& other) const {
    TNumberRuns sum;
    auto a = runs_.begin();
    auto b = other.runs_.begin();
    while (a != runs_.end() || b != other.runs_.end()) {
        if (b == other.runs_.end() || (a != runs_.end() && a->first <= b->first))
            sum.Append(*a++);
        else
            sum.Append(*b++);
    }
    return sum;
}

TNumberRuns TNumberRuns::Minus(const TNumberRuns& other) const {
    TNumberRuns rest;
    auto b = other.runs_.begin();
    for (TRun run : runs_) {
        // Runs of `other` wholly before this one take nothing from it or from later ones.
        while (b != other.runs_.end() && b->second < run.first)
            ++b;
        for (auto cut = b; cut != other.runs_.end() && cut->first <= run.second; ++cut) {
            if (cut->first > run.first)
                rest.runs_.push_back({run.first, cut->first - 1});
            run.first = cut->second + 1;
            if (run.first > run.second)
                break;
        }
        if (run.first <= run.second)
            rest.runs_.push_back(run);
    }
    return rest;
}

TNumberRuns TNumberRuns::Both(const TNumberRuns& other) const {
    return Minus(Minus(other));
}
