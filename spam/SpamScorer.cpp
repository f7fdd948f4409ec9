#include "SpamScorer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "ScorerCommand.h"
#include "ScorerOutput.h"

namespace {

unsigned DefaultParallel() {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return std::min(cores, 4u);
}

struct TRunning {
    uint64_t Id;
    std::unique_ptr<TChildProcess> Child;
    std::chrono::steady_clock::time_point Deadline;
};

TChildResult ResultOf(TChildProcess& child, bool timedOut) {
    return {child.StartError(), timedOut, child.Status(), child.Output(), child.Errors()};
}

} // namespace

TSpamScorer::TSpamScorer(TScorerConfig config, std::function<void()> ready)
    : config_(std::move(config)), ready_(std::move(ready)),
      parallel_(config_.Parallel ? config_.Parallel : DefaultParallel()) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) < 0)
        throw std::runtime_error(std::string("spam scorer: pipe: ") + std::strerror(errno));
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    thread_ = std::thread([this] { run(); });
}

TSpamScorer::~TSpamScorer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake();
    thread_.join();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void TSpamScorer::wake() {
    const char byte = 1;
    // A full pipe already wakes the thread.
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
}

void TSpamScorer::Score(uint64_t id, std::string mail) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back({id, std::move(mail)});
        ++queued_;
    }
    wake();
}

std::vector<TScoreResult> TSpamScorer::TakeResults() {
    std::lock_guard lock(mutex_);
    return std::exchange(results_, {});
}

void TSpamScorer::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return finished_ == queued_; });
}

std::optional<TScorerProblem> TSpamScorer::TakeProblem() {
    std::lock_guard lock(mutex_);
    if (!firstProblem_ || problemTaken_)
        return std::nullopt;
    problemTaken_ = true;
    return firstProblem_;
}

void TSpamScorer::finish(TScoreResult result) {
    if (result.Problem) {
        ++failuresInARow_;
        const TScorerFailure cause = result.Problem->Cause;
        if (!givenUp_ && (cause == TScorerFailure::NotFound ||
                          cause == TScorerFailure::CannotStart || failuresInARow_ >= GiveUpAfter))
            givenUp_ = result.Problem;
    } else {
        failuresInARow_ = 0;
    }
    {
        std::lock_guard lock(mutex_);
        if (result.Problem && !firstProblem_)
            firstProblem_ = result.Problem;
        results_.push_back(std::move(result));
        ++finished_;
    }
    idle_.notify_all();
    if (ready_)
        ready_();
}

void TSpamScorer::run() {
    std::vector<TRunning> running;
    std::vector<pollfd> fds;
    const auto judged = [&](uint64_t id, TChildProcess& child, bool timedOut) {
        TScoreResult result{id, std::nullopt, std::nullopt};
        auto outcome = JudgeScoreRun(config_, ResultOf(child, timedOut));
        if (auto* score = std::get_if<TSpamScore>(&outcome))
            result.Score = std::move(*score);
        else
            result.Problem = std::get<TScorerProblem>(std::move(outcome));
        finish(std::move(result));
    };
    for (;;) {
        // Start what there is room for.
        while (running.size() < parallel_) {
            TJob job;
            {
                std::lock_guard lock(mutex_);
                if (stopping_ || queue_.empty())
                    break;
                job = std::move(queue_.front());
                queue_.pop_front();
            }
            if (givenUp_) {
                finish({job.Id, std::nullopt, givenUp_});
                continue;
            }
            auto child =
                std::make_unique<TChildProcess>(ScoreCommand(config_), std::move(job.Mail));
            if (child->StartError() != 0) {
                judged(job.Id, *child, false);
                continue;
            }
            running.push_back(
                {job.Id, std::move(child), std::chrono::steady_clock::now() + config_.Timeout});
        }
        {
            std::lock_guard lock(mutex_);
            if (stopping_)
                break; // the children in flight are killed with `running`
        }

        fds.assign(1, {wakeRead_, POLLIN, 0});
        bool awaitingExit = false;
        auto nearest = std::chrono::steady_clock::time_point::max();
        for (const auto& r : running) {
            awaitingExit = !r.Child->AddPollFds(fds) || awaitingExit;
            nearest = std::min(nearest, r.Deadline);
        }
        int wait = -1;
        if (!running.empty()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                nearest - std::chrono::steady_clock::now());
            wait = PollWait(awaitingExit, std::max(left, std::chrono::milliseconds(0)));
        }
        if (::poll(fds.data(), fds.size(), wait) < 0 && errno != EINTR)
            fds.clear(); // nothing is ready; the deadlines still hold
        if (!fds.empty() && (fds[0].revents & POLLIN)) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }

        const auto now = std::chrono::steady_clock::now();
        for (auto it = running.begin(); it != running.end();) {
            TChildProcess& child = *it->Child;
            child.Transfer(fds);
            if (child.Finished()) {
                judged(it->Id, child, false);
            } else if (now >= it->Deadline) {
                child.Kill();
                judged(it->Id, child, true);
            } else {
                ++it;
                continue;
            }
            it = running.erase(it);
        }
    }
}
