// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "downloader/server_files.h"
#include "downloader/task_queue.h"

#include <string>

namespace vexo {

struct Downloader;

// Carries out the check at the head of the queue: logs in over TCP, lists
// the waiting files into the file table and the grid, queues their
// downloads and removals and one more check, and removes its own task. A
// check that cannot connect stays at the head and is tried again at the
// next tick. Its waits pump the window (TcpClient), and the list ends
// after the check's time limit with the entries that arrived whole. Only
// the runner calls it, which starts no task while one runs; while it runs
// (it stays at the head), no other check is queued.
void CheckServer(Downloader& downloader);

// Forgets the arrivals that a whole list no longer holds, so that a new
// upload under such a name arrives. Returns the error of a state file that
// could not be written, empty when there was none.
std::string ForgetUnlistedArrivals(Downloader& downloader);

// Appends the rows of the file table to the server file grid. A size that
// is not a number leaves its cell empty and is reported once, however many
// checks list it.
void ShowServerFiles(Downloader& downloader);

// Queues a download and a removal for every listed file but those that
// wait out their pause after a failed download and those that arrived
// earlier (ArrivedEarlier; queueing the removal again of one whose removal page
// did not load), then one more check, unless no download was queued or a check other than
// `runningCheck` waits already. The pairs are queued as far as they fit
// with a slot left for the check, which lists the rest again later.
void QueueDownloads(Downloader& downloader, TaskId runningCheck);

// Whether the server keeps the files fetched from it: a removal mode other
// than 1 and 2 ("Не удалять").
bool KeepsFetchedFiles(const Downloader& downloader);

// Whether a listed file arrived whole earlier and is not to be fetched
// again. Files are removed on the server once they arrive, so a list that
// still holds one lags behind (known for this run, until a list no longer
// holds it); a file the server keeps is known across runs (KeptFiles).
bool ArrivedEarlier(Downloader& downloader, const ServerFile& file);

} // namespace vexo
