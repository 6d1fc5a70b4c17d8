// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

struct Downloader;

// Carries out the check at the head of the queue: logs in over TCP, lists
// the waiting files into the file table and the grid, queues their
// downloads and removals and one more check, and removes its own task. A
// check that cannot connect stays at the head and is tried again at the
// next tick. Its waits pump the window (TcpClient), and the list ends
// after the check's time limit with the entries that arrived whole. Only
// the runner calls it, which starts no task while one runs: ticks and
// clicks that the pumps let through queue their checks behind it.
void CheckServer(Downloader& downloader);

// Appends the rows of the file table to the server file grid. A size that
// is not a number leaves its cell empty and is reported once, however many
// checks list it.
void ShowServerFiles(Downloader& downloader);

// Queues a download and a removal for every listed file but those whose
// download failed before, then one more check if any was queued. The pairs are queued as far
// as they fit with a slot left for the check, which lists the rest again
// later.
void QueueDownloads(Downloader& downloader);

} // namespace vexo
