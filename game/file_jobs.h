// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The game's slow file work, beside the frame loop: flushing a save to the disk, reading the
// folder and the PGN files for the load screen. One worker thread takes the jobs in the order
// they were given (so a list made after a save sees the saved file), and what a job has to say
// comes back to the frame loop, which takes it with file_jobs_step and never waits for it.
//
// Everything here is for the frame loop's thread but post_file_result, which a job's work calls.

#include <functional>

// Queues `work` for the worker. `done`, when given, runs later on the frame loop
// (file_jobs_step), after the results the work posted. Both are moved; the work must own what
// it touches (copies, shared pointers), as the caller goes on at once.
void run_file_job(std::function<void()> work, std::function<void()> done = nullptr);

// From inside a job's work: `result` runs on the frame loop at its next file_jobs_step, in the
// order posted (a list that fills in, part by part).
void post_file_result(std::function<void()> result);

// Once per frame: the results and dones that have come back, in order. Never waits for the
// worker; allocates nothing when nothing came back.
void file_jobs_step();

// No job queued or running, and every result taken.
bool file_jobs_idle();

// Waits for every queued job, then takes their results as file_jobs_step would. For tools and
// tests that must see the files a job writes; the game itself never waits.
void finish_file_jobs();

// On: every job runs at once in the caller, its results and done with it, as if the frame that
// gave it had waited. A run then depends on nothing but its caller (the soak harness replays
// seeds this way). Also the fallback when no thread can be had.
void set_file_jobs_inline(bool inline_jobs);

// True once the program is ending (its static objects being destroyed): work whose result
// nobody will see (a list being made) stops early. Saves already given run to their end first:
// the program's exit waits for them.
bool file_jobs_ending();
