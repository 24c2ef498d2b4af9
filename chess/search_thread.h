// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The computer's move searched beside the caller's loop: one worker thread, started once, that
// thinks on a copy of the caller's position in its own engine state (chess/position.h) while
// the caller goes on drawing frames with its own. The caller hands over an order, looks for the
// answer once a frame, and may drop the order at any time; no call waits for the search.
//
// The answer is the one computer_move gives on the caller's thread for the same position,
// order and random state (run_search_order), and the caller's random source continues from
// where the search left it when the answer is taken, so a game plays the same moves whichever
// thread thinks. A caller that controls the clock (the soak harness) calls run_search_order
// itself.
//
// All calls come from one thread, the caller's; none allocates, and only start() may wait, for
// the few copies the worker makes under their shared lock. The worker allocates nothing either:
// the opening book is built and the position copy reserved when the thread starts.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

struct PositionBackup;

// What the computer is asked to do.
struct SearchOrder {
    int level = 4;              // 1 to 6: the search depth (max_depth), and at 1 to 3 the margin
                                // of the near-best choice (computer_move)
    bool use_book = true;       // a book move while the game is in the opening book
    int output = 0;             // progress lines on standard output, as think prints them
    int max_time_ms = 33554432; // time budget of the search (the game's: in effect none)
};

struct SearchAnswer {
    uint32_t move = 0;         // the computer's move (move_value); 0 when it has no legal move
    int score = 0;             // the search's score for the side to move (0 for a book move)
    int64_t nodes = 0;         // nodes searched
    int64_t think_ms = 0;      // milliseconds from the start of the search to its answer
    uint64_t random_state = 0; // the engine's random state after the choice
};

// Carries out `order` on the calling thread's position: computer_move at the order's level with
// max_depth, max_time_ms and max_nodes set for it (and put back afterwards). Leaves the position
// as it found it; the random source has moved on by the draws the choice made.
SearchAnswer run_search_order(const SearchOrder& order);

class SearchThread {
public:
    // Starts the worker. Should the system refuse a thread, running() is false and start()
    // refuses every order: the caller then searches with run_search_order.
    SearchThread();
    // Stops a search under way (within the few milliseconds the search needs to see it) and
    // ends the worker.
    ~SearchThread();
    SearchThread(const SearchThread&) = delete;
    SearchThread& operator=(const SearchThread&) = delete;

    bool running() const { return worker_.joinable(); }

    // Hands the worker a copy of the calling thread's position (at its root: search_ply 0 with
    // its moves generated, as the game keeps it), its random state and `order`. A search still
    // under way for an earlier order is told to stop and its answer dropped. False when there is
    // no worker.
    [[nodiscard]] bool start(const SearchOrder& order);

    // The answer to the last order started, once: true and `answer` filled when it has come,
    // and the calling thread's random source then continues from the search's. False while the
    // search goes on, and when no order waits (none started, dropped, or taken already).
    [[nodiscard]] bool poll(SearchAnswer& answer);

    // Drops the order under way: the search is told to stop and its answer will never be given.
    // Returns at once; nothing to do when no order waits.
    void cancel();

    // Whether an order was started and its answer not yet taken or dropped.
    bool thinking() const;

private:
    void work();

    mutable std::mutex lock_;
    std::condition_variable wake_;             // the worker waits here for an order or the end
    std::unique_ptr<PositionBackup> position_; // under lock_: the position of the next order
    SearchOrder order_;                        // under lock_: the next order
    uint64_t orderRandom_ = 0;                 // under lock_: the caller's random state with it
    uint64_t nextId_ = 0;                      // under lock_: ids of orders, from 1
    uint64_t pendingId_ = 0;                   // under lock_: order not taken yet, 0 none
    uint64_t runningId_ = 0;                   // under lock_: order being searched, 0 none
    std::atomic<uint64_t> wantedId_{0};        // order whose answer is wanted (caller writes)
    uint64_t answerId_ = 0;                    // under lock_: order `answer_` belongs to
    SearchAnswer answer_;                      // under lock_
    bool quit_ = false;                        // under lock_: the worker is to end
    std::atomic<bool> stop_{false};            // read by the worker's search (stop_signal)
    std::thread worker_;
};
