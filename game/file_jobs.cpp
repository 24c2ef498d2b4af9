// SPDX-License-Identifier: GPL-3.0-or-later
#include "game/file_jobs.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace {

constexpr int WORKER_NICENESS = 10; // the worker thread's nice value (the process keeps its own)

struct Job {
    std::function<void()> work;
    std::function<void()> done;
};

// The worker and what it shares with the frame loop. Made on the first job; destroyed with the
// program's static objects, after finishing the jobs still queued (a save given just before the
// player quit is on the disk before the process ends).
class Worker {
public:
    ~Worker() {
        ending_ = true;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    // False when no thread could be started (the caller then runs the job itself).
    bool give(Job&& job) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) {
            try {
                thread_ = std::thread([this] { loop(); });
            } catch (...) {
                return false;
            }
        }
        queue_.push_back(std::move(job));
        wake_.notify_one();
        return true;
    }

    void post(std::function<void()>&& result) {
        std::lock_guard<std::mutex> lock(mutex_);
        results_.push_back(std::move(result));
    }

    // The next result that came back, or false.
    bool takeResult(std::function<void()>& result) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (results_.empty()) return false;
        result = std::move(results_.front());
        results_.pop_front();
        return true;
    }

    bool idle() {
        std::lock_guard<std::mutex> lock(mutex_);
        return queue_.empty() && !busy_ && results_.empty();
    }

    void waitUntilQueueEmpty() {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [this] { return queue_.empty() && !busy_; });
    }

    bool ending() const { return ending_; }

private:
    std::mutex mutex_;
    std::condition_variable wake_;     // a job was queued, or the program ends
    std::condition_variable finished_; // a job ended
    std::deque<Job> queue_;
    std::deque<std::function<void()>> results_;
    bool busy_ = false; // a job's work is running
    bool stopping_ = false;
    std::atomic<bool> ending_{false};
    std::thread thread_;

    void loop() {
        // Below the frame loop and the renderer's threads: on a machine of two cores, a PGN
        // file being counted must not take the processor a frame is waiting for.
        (void)setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), WORKER_NICENESS);
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return !queue_.empty() || stopping_; });
            if (queue_.empty()) return; // stopping, and every job done
            Job job = std::move(queue_.front());
            queue_.pop_front();
            busy_ = true;
            lock.unlock();
            job.work();
            lock.lock();
            if (job.done) results_.push_back(std::move(job.done));
            busy_ = false;
            finished_.notify_all();
        }
    }
};

std::atomic<bool> g_inline{false};
std::atomic<bool> g_workerMade{false}; // file_jobs_step has nothing to look at before
thread_local bool g_inJob = false;     // this thread runs a job's work in-line

Worker& worker() {
    static Worker w;
    g_workerMade = true;
    return w;
}

void runInline(Job& job) {
    const bool wasInJob = g_inJob;
    g_inJob = true;
    job.work();
    g_inJob = wasInJob;
    if (job.done) job.done();
}

} // namespace

void run_file_job(std::function<void()> work, std::function<void()> done) {
    Job job{std::move(work), std::move(done)};
    if (!job.work) return;
    if (g_inline || !worker().give(std::move(job))) {
        if (job.work) runInline(job); // give() leaves the job whole when it fails
    }
}

void post_file_result(std::function<void()> result) {
    if (!result) return;
    if (g_inJob)
        result();
    else
        worker().post(std::move(result));
}

void file_jobs_step() {
    if (!g_workerMade) return;
    std::function<void()> result;
    while (worker().takeResult(result))
        result();
}

bool file_jobs_idle() {
    return !g_workerMade || worker().idle();
}

void finish_file_jobs() {
    if (!g_workerMade) return;
    // A result may queue another job (the list's next part): wait and take until all is quiet.
    while (!worker().idle()) {
        worker().waitUntilQueueEmpty();
        file_jobs_step();
    }
}

void set_file_jobs_inline(bool inline_jobs) {
    g_inline = inline_jobs;
}

bool file_jobs_ending() {
    return g_workerMade && worker().ending();
}
