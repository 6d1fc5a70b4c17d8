// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/task_queue.h"
#include "tests/downloader/check_fixture.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

// The queue of the downloader over the fake.
class TaskQueueTest : public test::CheckFixture {
protected:
    TaskQueue& queue = d.queue;
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

// Guards a push: the runner's timer restarts (off, then on) and panel 1
// shows the queue.
TEST_F(TaskQueueTest, PushRestartsTheRunnerAndShowsTheQueue)
{
    ops.setTimerActive(DownloaderTimer::TaskRunner, false);
    ops.log.clear();
    PushTask(d, ServerTask::Check());
    EXPECT_EQ(ops.log, (std::vector<std::string>{"timer off TaskRunner", "tasks get ", "timer on TaskRunner"}));
    EXPECT_EQ(queue.head().kind(), TaskKind::Check);
}

// Guards the queue's limit: a push onto 255 queued tasks is dropped.
TEST_F(TaskQueueTest, PushOntoAFullQueueIsDropped)
{
    for (int i = 0; i < 255; ++i)
        PushTask(d, ServerTask::Download({std::to_string(i), "http://h/", "r", "1"}));
    PushTask(d, ServerTask::Check());
    EXPECT_EQ(queue.taskCount(), 255);
    EXPECT_EQ(queue.at(255).download()->file.fileName, "254");
}

// Guards the pop: the head goes, the runner runs, and once the queue is
// empty the automatic check follows its switch; pending events are pumped.
TEST_F(TaskQueueTest, PopLetsTheAutomaticCheckFollowItsSwitchOnceEmpty)
{
    PushTask(d, ServerTask::Check());
    PushTask(d, ServerTask::Download({"1", "http://h/1", "ref", "1"}));
    ops.setTimerActive(DownloaderTimer::TaskRunner, false);
    d.autoCheck.on = true;

    PopTask(d, queue.headId());
    EXPECT_EQ(ops.queuedTasks, "down ");
    EXPECT_TRUE(timerActive(DownloaderTimer::TaskRunner));
    EXPECT_FALSE(timerActive(DownloaderTimer::AutoCheck));

    PopTask(d, queue.headId());
    EXPECT_EQ(ops.queuedTasks, "");
    EXPECT_TRUE(timerActive(DownloaderTimer::AutoCheck));
    EXPECT_EQ(ops.pumps, 2);

    d.autoCheck.on = false;
    PopTask(d, kNoTask);
    EXPECT_FALSE(timerActive(DownloaderTimer::AutoCheck));
}

// Guards a task that finishes after the queue was emptied and refilled:
// its closing pop must not remove the task queued after the emptying.
TEST_F(TaskQueueTest, ClosingPopRemovesOnlyTheTaskItself)
{
    const TaskId first = PushTask(d, ServerTask::Download({"1", "http://h/1", "ref", "1"}));
    PushTask(d, ServerTask::Removal(first, "ref"));
    const TaskId download = queue.idAt(1);
    const TaskId removal = queue.idAt(2);

    queue.clear();
    PushTask(d, ServerTask::Check());
    PushTask(d, ServerTask::Check());
    PopTwoTasks(d, download, removal);
    EXPECT_EQ(queue.taskWords(), "get get ");
    PopTask(d, download);
    EXPECT_EQ(queue.taskCount(), 2);
}

} // namespace
} // namespace vexo
