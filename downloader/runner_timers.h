// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

struct Downloader;

// What the window is told when the task queue changes. The queue itself
// only holds tasks; the runner's tick and the handlers that queue or drop
// work call these once each, when they are done with the queue.

// Shows the words of the queued tasks in the status bar, unless they are
// the words shown already.
void ShowQueuedTasks(Downloader& downloader);

// The runner's timer stays off while a tick carries out tasks, so that no
// tick falls due inside their pumps.
void HoldRunner(Downloader& downloader);

// Tasks were carried out or dropped: the runner's timer is on again (one
// switched on anew counts a full period from here), and once the queue is
// empty the automatic check follows its switch.
void ReleaseRunner(Downloader& downloader);

// A handler queued work outside a tick: the runner's countdown starts anew,
// so the next tick comes one full period later. Inside a tick (from one of
// its pumps) the tick's end sets the timer instead.
void RestartRunner(Downloader& downloader);

} // namespace vexo
