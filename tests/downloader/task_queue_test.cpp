#include "tests/support/fake_window.h"
#include "downloader/task_queue.h"

#include <gtest/gtest.h>

namespace vexo {
namespace {

using test::FakeWindow;

// Guards the words of panel 1: each kind's word in queue order, nothing for
// an empty queue or for kinds without a word.
TEST(TaskQueueTest, TaskWordsFollowTheQueue)
{
    TaskQueue queue;
    EXPECT_EQ(queue.TaskWords(), "");
    for (std::uint8_t kind : {5, 6, 7, 0, 1, 2, 3, 4, 8, 255})
        queue.append("x", kind);
    EXPECT_EQ(queue.TaskWords(), "get down rem tr url ls del ");
}

// Guards a push: the runner's timer restarts (off, then on) and panel 1
// shows the queue.
TEST(TaskQueueTest, PushRestartsTheRunnerAndShowsTheQueue)
{
    FakeWindow ops;
    ops.setTimerActive(Timer::Timer, false);
    TaskQueue queue;
    ops.log.clear();
    PushTask(queue, ops, "is_files", tkCheck);
    EXPECT_EQ(ops.log, (std::vector<std::string>{"timer off Timer", "status 1 get ", "timer on Timer"}));
    EXPECT_EQ(queue.head().Arg, "is_files");
}

// Guards the queue's limit: a push onto 255 queued tasks is dropped.
TEST(TaskQueueTest, PushOntoAFullQueueIsDropped)
{
    FakeWindow ops;
    TaskQueue queue;
    for (int i = 0; i < 255; ++i)
        PushTask(queue, ops, std::to_string(i), tkDownload);
    PushTask(queue, ops, "is_files", tkCheck);
    EXPECT_EQ(queue.TaskCount(), 255);
    EXPECT_EQ(queue.at(255).Arg, "254");
}

// Guards the pop: the head goes, the runner runs, and once the queue is
// empty the automatic check follows its box; pending messages are pumped.
TEST(TaskQueueTest, PopLetsTheAutomaticCheckFollowItsBoxOnceEmpty)
{
    FakeWindow ops;
    TaskQueue queue;
    PushTask(queue, ops, "is_files", tkCheck);
    PushTask(queue, ops, "1", tkDownload);
    ops.setTimerActive(Timer::Timer, false);
    ops.setChecked(Control::AutoO, true);

    PopTask(queue, ops, queue.headId());
    EXPECT_EQ(ops.statusText(1), "down ");
    EXPECT_TRUE(ops.isTimerActive(Timer::Timer));
    EXPECT_FALSE(ops.isTimerActive(Timer::Bigtimer));

    PopTask(queue, ops, queue.headId());
    EXPECT_EQ(ops.statusText(1), "");
    EXPECT_TRUE(ops.isTimerActive(Timer::Bigtimer));
    EXPECT_EQ(ops.pumps, 2);

    ops.setChecked(Control::AutoO, false);
    PopTask(queue, ops, kNoTask);
    EXPECT_FALSE(ops.isTimerActive(Timer::Bigtimer));
}

// Guards a task that finishes after the queue was emptied and refilled:
// its closing pop must not remove the task queued after the emptying.
TEST(TaskQueueTest, ClosingPopRemovesOnlyTheTaskItself)
{
    FakeWindow ops;
    TaskQueue queue;
    PushTask(queue, ops, "1", tkDownload);
    PushTask(queue, ops, "ref", tkRemove);
    const TaskId download = queue.idAt(1);
    const TaskId removal = queue.idAt(2);

    queue.clear();
    PushTask(queue, ops, "is_files", tkCheck);
    PushTask(queue, ops, "is_files", tkCheck);
    PopTwoTasks(queue, ops, download, removal);
    EXPECT_EQ(queue.TaskWords(), "get get ");
    PopTask(queue, ops, download);
    EXPECT_EQ(queue.TaskCount(), 2);
}

} // namespace
} // namespace vexo
