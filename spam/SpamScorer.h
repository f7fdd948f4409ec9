#pragma once

// Scores mails with the user's scorer on a thread of its own, several at a time: up to
// Parallel child processes in flight (min(cores, 4) by default), each killed after the
// time-out. Mails go in from any thread; results come out in the order they finish.
//
//   TSpamScorer scorer(config, [&] { post an event to the window });
//   scorer.Score(n, header);                 // for each listed mail, header (+ body lines)
//   for (auto& r : scorer.TakeResults()) ... // r.Score, or nothing and r.Problem
//   if (auto p = scorer.TakeProblem()) show ScorerProblemText(*p, german) once
//
// A scorer that cannot be started (not installed) is tried once: the mails after it come
// back unscored at once. So do they after many failures in a row (a scorer that hangs or
// has no server), so that a listing never waits for time-out after time-out.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ScorerConfig.h"
#include "ScorerProblem.h"
#include "SpamScore.h"

struct TScoreResult {
    uint64_t Id = 0;
    std::optional<TSpamScore> Score;
    // Why there is no score.
    std::optional<TScorerProblem> Problem;
};

class TSpamScorer {
public:
    // ready: called on the scorer's thread each time results wait; may be empty.
    explicit TSpamScorer(TScorerConfig config, std::function<void()> ready = {});
    // Kills and reaps the children in flight, drops what waits, joins the thread.
    ~TSpamScorer();
    TSpamScorer(const TSpamScorer&) = delete;
    TSpamScorer& operator=(const TSpamScorer&) = delete;

    // Queues a mail (its header from TOP n 0, or TOP n N with N body lines) under an id.
    void Score(uint64_t id, std::string mail);
    // The results in so far, each once.
    std::vector<TScoreResult> TakeResults();
    // Blocks until every mail queued has its result.
    void WaitIdle();
    // The first problem the scorer had, once; nullopt after that and while there was none.
    std::optional<TScorerProblem> TakeProblem();
    // Child processes in flight at most.
    unsigned Parallel() const { return parallel_; }

    // Failures in a row after which the rest is not tried.
    static constexpr unsigned GiveUpAfter = 8;

private:
    struct TJob {
        uint64_t Id;
        std::string Mail;
    };
    void run();
    void wake();
    void finish(TScoreResult result);

    const TScorerConfig config_;
    const std::function<void()> ready_;
    const unsigned parallel_;
    int wakeRead_ = -1, wakeWrite_ = -1;

    std::mutex mutex_;
    std::condition_variable idle_;
    std::deque<TJob> queue_;
    std::vector<TScoreResult> results_;
    uint64_t queued_ = 0, finished_ = 0;
    std::optional<TScorerProblem> firstProblem_;
    bool problemTaken_ = false;
    bool stopping_ = false;

    // The worker thread's own.
    std::optional<TScorerProblem> givenUp_;
    unsigned failuresInARow_ = 0;

    std::thread thread_; // last: started once everything above is set up
};
