// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_io.h"
#include "server/upload_receiver.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace vexo::server {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Result = UploadReceiver::Result;

class UploadReceiverTest : public ::testing::Test {
protected:
    TempDir dir;

    // Everything in the folder: a refused or failed upload leaves no temporary.
    std::vector<std::string> folderNames() const { return test::FolderNames(dir.path()); }

    // One upload of `content` in pieces of 1000 bytes.
    UploadReceiver::Outcome upload(const std::string& name, const std::string& content, bool complete = true)
    {
        UploadReceiver receiver(dir.path());
        receiver.beginPart("file", name);
        for (std::size_t at = 0; at < content.size(); at += 1000)
            receiver.append(content.data() + at, std::min<std::size_t>(1000, content.size() - at));
        auto outcomes = receiver.finish(complete);
        if (outcomes.size() != 1)
            throw std::logic_error("one outcome expected");
        return outcomes[0];
    }
};

// Guards a stored upload: its bytes, its size, and a mode the server can hand out.
TEST_F(UploadReceiverTest, StoresTheWholeFile)
{
    const std::string content(25000, 'u');
    const auto outcome = upload("clip.avi", content);
    EXPECT_EQ(outcome.result, Result::Stored);
    EXPECT_EQ(outcome.size, 25000);
    EXPECT_EQ(ReadFile(dir.file("clip.avi")), content);
    struct stat info {};
    ASSERT_EQ(::stat(dir.file("clip.avi").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0600, 0600u);
    EXPECT_EQ(folderNames(), std::vector<std::string>{"clip.avi"});
}

// Guards a waiting file (or a link of its name) replaced by an upload, and
// a refused or cut-off upload leaving its temporary behind.
TEST_F(UploadReceiverTest, NeverReplacesAWaitingFileAndDropsCutOffUploads)
{
    WriteFile(dir.file("clip.avi"), "waiting");
    ASSERT_EQ(::symlink("nowhere", dir.file("link.avi").c_str()), 0);
    const auto taken = upload("clip.avi", "intruder");
    EXPECT_EQ(taken.result, Result::NameTaken);
    EXPECT_EQ(taken.detail, "File exists");
    EXPECT_EQ(upload("link.avi", "intruder").result, Result::NameTaken);
    EXPECT_FALSE(test::FileExists(dir.file("nowhere")));
    EXPECT_EQ(ReadFile(dir.file("clip.avi")), "waiting");

    EXPECT_EQ(upload("cut.avi", std::string(5000, 'c'), false).result, Result::Interrupted);
    EXPECT_EQ(folderNames(), (std::vector<std::string>{"clip.avi", "link.avi"}));
}

// Guards a failing disk reported as a stored upload: a write, sync, close
// or placement that fails gives WriteFailed with the reason, and nothing
// is left under the name or as a temporary.
TEST_F(UploadReceiverTest, FailedWriteIsReportedAndLeavesNothing)
{
    const struct {
        FileFaults fault;
        const char* detail;
    } cases[] = {
        {{.failWriteAfter = 3000, .error = ENOSPC}, "No space left on device"},
        {{.failSync = true}, "Input/output error"},
        {{.failClose = true}, "Input/output error"},
        {{.failRename = true}, "Input/output error"},
    };
    for (const auto& c : cases) {
        ScopedFileFaults faults(c.fault);
        const auto outcome = upload("clip.avi", std::string(5000, 'x'));
        EXPECT_EQ(outcome.result, Result::WriteFailed);
        EXPECT_EQ(outcome.detail, c.detail);
        EXPECT_TRUE(folderNames().empty());
    }
}

} // namespace
} // namespace vexo::server
