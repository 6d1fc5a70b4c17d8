// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/atomic_file.h"
#include "base/file_io.h"
#include "base/write_behind.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace vexo {
namespace {

using test::TempDir;

// The threads of this process by id, each with its mask of blocked signals.
std::map<std::string, std::uint64_t> ThreadsWithBlockedSignals()
{
    std::map<std::string, std::uint64_t> threads;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("SigBlk:"))
                threads[task.path().filename()] = std::stoull(line.substr(7), nullptr, 16);
        }
    }
    return threads;
}

// Guards the write-behind's thread: taking a stop signal, it would keep it
// from interrupting the program's waits; outliving the flush, it would ask
// for the writes of a descriptor that is closed, or already another file's.
TEST(WriteBehindTest, ThreadTakesNoSignalsAndEndsBeforeTheFileCloses)
{
    TempDir dir;
    const auto before = ThreadsWithBlockedSignals();
    AtomicFile file(dir.file("big"));
    const std::string megabyte(std::size_t{1} << 20, 'x');
    for (std::size_t written = 0; written <= WriteBehind::kStep; written += megabyte.size())
        file.write(megabyte);

    auto during = ThreadsWithBlockedSignals();
    for (const auto& [id, mask] : before)
        during.erase(id);
    ASSERT_EQ(during.size(), 1u);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        EXPECT_NE(during.begin()->second & (std::uint64_t{1} << (signal - 1)), 0u) << signal;

    file.commit();
    EXPECT_EQ(ThreadsWithBlockedSignals().size(), before.size());
    EXPECT_EQ(std::filesystem::file_size(dir.file("big")), WriteBehind::kStep + megabyte.size());
}

} // namespace
} // namespace vexo
