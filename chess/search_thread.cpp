// SPDX-License-Identifier: GPL-3.0-or-later
#include "chess/search_thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <system_error>

#include "chess/computer_move.h"
#include "chess/engine_random.h"
#include "chess/opening_book.h"
#include "chess/position_backup.h"
#include "chess/search.h"

namespace {

// The worker's nice value (the process keeps its own): below the caller's frame loop, so that
// on a machine of two cores the search does not keep the processor from a frame's drawing.
constexpr int WORKER_NICENESS = 10;

// The worker runs as a batch thread: woken by an order, it waits for the caller's time slice to
// end instead of taking the processor at once. Without it the caller's start() was measured
// losing 5 to 16 ms to the woken search on a busy machine (chess3d-engine beside).
void lower_worker_priority() {
    sched_param batch{};
    batch.sched_priority = 0;
    (void)pthread_setschedparam(pthread_self(), SCHED_BATCH, &batch);
    (void)setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), WORKER_NICENESS);
}

} // namespace

SearchAnswer run_search_order(const SearchOrder& order) {
    const int depth = max_depth, budget_ms = max_time_ms;
    const int64_t nodes = max_nodes;
    max_depth = order.level;
    max_time_ms = order.max_time_ms;
    max_nodes = INT64_MAX;
    const int64_t start_ms = clock_ms();
    // think leaves the counters of a search it ran; a book move runs none.
    node_count = 0;
    pv_score = 0;
    SearchAnswer answer;
    answer.move = computer_move(order.level, order.use_book, order.output);
    answer.score = pv_score;
    answer.nodes = node_count;
    answer.think_ms = clock_ms() - start_ms;
    answer.random_state = engine_random_state();
    max_depth = depth;
    max_time_ms = budget_ms;
    max_nodes = nodes;
    return answer;
}

SearchThread::SearchThread() {
    // The worker must not allocate: the book is built here, once, on the caller's thread.
    (void)opening_book_summary();
    position_ = std::make_unique<PositionBackup>();
    try {
        worker_ = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        // No worker: running() is false and the caller searches in-line.
    }
}

SearchThread::~SearchThread() {
    if (!worker_.joinable()) return;
    {
        std::lock_guard<std::mutex> hold(lock_);
        quit_ = true;
        stop_.store(true);
    }
    wake_.notify_one();
    worker_.join();
}

bool SearchThread::start(const SearchOrder& order) {
    if (!worker_.joinable()) return false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        backup_position(*position_);
        order_ = order;
        orderRandom_ = engine_random_state();
        pendingId_ = ++nextId_;
        wantedId_.store(pendingId_);
        if (runningId_ != 0) stop_.store(true); // an earlier order's search
    }
    wake_.notify_one();
    return true;
}

bool SearchThread::poll(SearchAnswer& answer) {
    {
        // The worker holds the lock only for a few copies, but it may lose the processor while
        // it does: the caller then looks again next frame rather than wait.
        std::unique_lock<std::mutex> hold(lock_, std::try_to_lock);
        const uint64_t wanted = wantedId_.load();
        if (!hold.owns_lock() || wanted == 0 || answerId_ != wanted) return false;
        answer = answer_;
        answerId_ = 0;
        wantedId_.store(0);
    }
    seed_engine_random(answer.random_state);
    return true;
}

// Without the lock, so that it never waits: an order not taken yet is skipped by the worker as
// unwanted, and a search under way sees the stop flag.
void SearchThread::cancel() {
    wantedId_.store(0);
    stop_.store(true);
}

bool SearchThread::thinking() const {
    return wantedId_.load() != 0;
}

void SearchThread::work() {
    lower_worker_priority();
    stop_signal = &stop_;
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        wake_.wait(hold, [this] { return quit_ || pendingId_ != 0; });
        if (quit_) return;
        // 1. Take the order. The stop flag is cleared before the order is checked still wanted:
        // a cancel after that check sets the flag again and stops the search (both orderings
        // of the atomics are sequentially consistent).
        const uint64_t id = pendingId_;
        pendingId_ = 0;
        stop_.store(false);
        if (wantedId_.load() != id) continue; // cancelled before it started
        // 2. The position into this thread's engine, with the caller's random state.
        restore_position(*position_);
        seed_engine_random(orderRandom_);
        const SearchOrder order = order_;
        runningId_ = id;
        hold.unlock();
        // 3. Think, the caller free meanwhile.
        const SearchAnswer answer = run_search_order(order);
        // 4. The answer is kept only if it is still wanted.
        hold.lock();
        runningId_ = 0;
        if (id == wantedId_.load()) {
            answer_ = answer;
            answerId_ = id;
        }
    }
}
