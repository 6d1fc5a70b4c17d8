// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/task_queue.h"
#include "tests/downloader/check_fixture.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

// The queue of the downloader over the fake.
class TaskQueueTest : public test::CheckFixture {
protected:
    TaskQueue& queue = d.queue();
};

// Guards the words of panel 1: each kind's word in queue order, nothing for
// an empty queue or for kinds without a word.
TEST(TaskWordsTest, TaskWordsFollowTheQueue)
{
    TaskQueue queue;
    EXPECT_EQ(queue.taskWords(), "");
    queue.append(ServerTask::Check());
    queue.append(ServerTask::Download({"a.avi", "http://h/a", "r", "1"}));
    queue.append(ServerTask::Removal(kNoTask, "r"));
    queue.append(ServerTask::Check());
    EXPECT_EQ(queue.taskWords(), "get down rem get ");
    std::string words;
    for (std::uint8_t kind : {1, 2, 3, 4, 0, 8, 255})
        words += TaskWord(static_cast<TaskKind>(kind));
    EXPECT_EQ(words, "tr url ls del ");
}

// Guards a click that queues a check: the queue itself tells the window
// nothing; the handler shows it once and restarts the runner's timer (off,
// then on) once.
TEST_F(TaskQueueTest, QueueingACheckRestartsTheRunnerAndShowsTheQueueOnce)
{
    ops.setTimerActive(DownloaderTimer::TaskRunner, false);
    ops.log.clear();
    queue.append(ServerTask::Download({"1", "http://h/1", "ref", "1"}));
    EXPECT_TRUE(ops.log.empty());
    d.queueCheck();
    EXPECT_EQ(ops.log, (std::vector<std::string>{"tasks down get ", "timer off TaskRunner", "timer on TaskRunner"}));
    EXPECT_EQ(queue.at(2).kind(), TaskKind::Check);
}

// Guards the queue's limit: a push onto 255 queued tasks is dropped.
TEST_F(TaskQueueTest, PushOntoAFullQueueIsDropped)
{
    for (int i = 0; i < 255; ++i)
        queue.append(ServerTask::Download({std::to_string(i), "http://h/", "r", "1"}));
    queue.append(ServerTask::Check());
    EXPECT_EQ(queue.taskCount(), 255);
    EXPECT_EQ(queue.at(255).download()->file.fileName, "254");
}

// Guards the end of the runner's tasks: the runner runs, the queue is
// shown, and once it is empty the automatic check follows its switch.
TEST_F(TaskQueueTest, ReleaseLetsTheAutomaticCheckFollowItsSwitchOnceEmpty)
{
    queue.append(ServerTask::Check());
    queue.append(ServerTask::Download({"1", "http://h/1", "ref", "1"}));
    d.holdRunner();
    d.setAutoCheck(true);
    ops.setTimerActive(DownloaderTimer::AutoCheck, false); // as the tick's fetch holds it

    queue.removeHead(queue.headId());
    d.showQueuedTasks();
    d.releaseRunner();
    EXPECT_EQ(ops.queuedTasks, "down ");
    EXPECT_TRUE(timerActive(DownloaderTimer::TaskRunner));
    EXPECT_FALSE(timerActive(DownloaderTimer::AutoCheck));

    queue.removeHead(queue.headId());
    d.showQueuedTasks();
    d.releaseRunner();
    EXPECT_EQ(ops.queuedTasks, "");
    EXPECT_TRUE(timerActive(DownloaderTimer::AutoCheck));

    d.setAutoCheck(false);
    ops.setTimerActive(DownloaderTimer::AutoCheck, true);
    d.releaseRunner();
    EXPECT_FALSE(timerActive(DownloaderTimer::AutoCheck));
}

// Guards a task that finishes after the queue was emptied and refilled:
// its closing pop must not remove the task queued after the emptying.
TEST_F(TaskQueueTest, ClosingPopRemovesOnlyTheTaskItself)
{
    const TaskId first = queue.append(ServerTask::Download({"1", "http://h/1", "ref", "1"}));
    queue.append(ServerTask::Removal(first, "ref"));
    const TaskId download = queue.idAt(1);
    const TaskId removal = queue.idAt(2);

    queue.clear();
    queue.append(ServerTask::Check());
    queue.append(ServerTask::Check());
    queue.removeHeadPair(download, removal);
    EXPECT_EQ(queue.taskWords(), "get get ");
    queue.removeHead(download);
    EXPECT_EQ(queue.taskCount(), 2);
}

} // namespace
} // namespace vexo
