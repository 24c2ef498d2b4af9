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

void SearchThread::stopRunningSearch() {
    if (runningId_ != 0) stop_.store(true);
}

bool SearchThread::start(const SearchOrder& order) {
    if (!worker_.joinable()) return false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        backup_position(*position_);
        order_ = order;
        orderRandom_ = engine_random_state();
        pendingId_ = wantedId_ = ++nextId_;
        stopRunningSearch();
    }
    wake_.notify_one();
    return true;
}

bool SearchThread::poll(SearchAnswer& answer) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (wantedId_ == 0 || answerId_ != wantedId_) return false;
        answer = answer_;
        wantedId_ = answerId_ = 0;
    }
    seed_engine_random(answer.random_state);
    return true;
}

void SearchThread::cancel() {
    std::lock_guard<std::mutex> hold(lock_);
    wantedId_ = pendingId_ = 0;
    stopRunningSearch();
}

bool SearchThread::thinking() const {
    std::lock_guard<std::mutex> hold(lock_);
    return wantedId_ != 0;
}

void SearchThread::work() {
    lower_worker_priority();
    stop_signal = &stop_;
    std::unique_lock<std::mutex> hold(lock_);
    for (;;) {
        wake_.wait(hold, [this] { return quit_ || pendingId_ != 0; });
        if (quit_) return;
        // 1. Take the order: the position into this thread's engine, the caller's random state.
        // Clearing the stop flag here, under the lock, lets a later start or cancel set it again.
        restore_position(*position_);
        seed_engine_random(orderRandom_);
        const SearchOrder order = order_;
        const uint64_t id = runningId_ = pendingId_;
        pendingId_ = 0;
        stop_.store(false);
        hold.unlock();
        // 2. Think, the caller free meanwhile.
        const SearchAnswer answer = run_search_order(order);
        // 3. The answer is kept only if it is still wanted.
        hold.lock();
        runningId_ = 0;
        if (id == wantedId_) {
            answer_ = answer;
            answerId_ = id;
        }
    }
}
