// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/cp1251.h"
#include "base/made_files.h"
#include "base/session.h"
#include "decoder/batch_run.h"
#include "decoder/decode_queue.h"
#include "decoder/decoder_options.h"
#include "decoder/queue_list.h"
#include "downloader/downloader.h"
#include "tests/decoder/test_containers.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"
#include "window_handlers/arrival_decoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::FakeViews;
using test::FileExists;
using test::kPadding;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The decoder and the downloader of one window, as the window wires them.
class ArrivalDecodingTest : public ::testing::Test {
protected:
    TempDir dir;
    TempDir programFolder;
    FakeViews ops;
    Session session;
    DecoderOptions options;
    QueueList list{ops};
    RunBoxes boxes{ops, ops};
    DecodeQueue queue{session, list, ops, boxes};
    BatchRun run{session, options, queue, list, ops, ops, boxes};
    Downloader downloader{session, ops, ops, ops, ops};
    ArrivalDecoding arrivals{options, ops};
    std::vector<std::string> checkArrivals; // the downloader tells the whole list

    ArrivalDecodingTest()
    {
        session.workingFolder().choose(dir.path());
        session.openSettings(programFolder.file("vexorama.INI"));
        arrivals.attach({session, run, queue, boxes, downloader});
        options.decodeArrivals = true;
    }

    // A container the server handed out under `name`, holding `realName`.
    std::string arrive(const std::string& name, const std::string& realName, unsigned seed)
    {
        const std::string plain = PatternBytes(1000 + seed, seed);
        WriteFile(dir.file(name), ContainerBytes(plain, 0x3C, kPadding, Utf8ToCp1251(realName)));
        arrive(name);
        return plain;
    }
    void arrive(const std::string& name)
    {
        checkArrivals.push_back(name);
        arrivals.announceArrivals(checkArrivals);
    }
    // The names of the last notice of arrivals.
    std::vector<std::string> announced() const
    {
        const std::string prefix = "announce arrivals ";
        std::vector<std::string> names;
        for (const std::string& entry : ops.log) {
            if (entry.rfind(prefix, 0) != 0)
                continue;
            names.clear();
            for (std::size_t start = prefix.size(), bar = 0; bar != std::string::npos; start = bar + 1) {
                bar = entry.find('|', start);
                names.push_back(entry.substr(start, bar - start));
            }
        }
        return names;
    }
};

// Guards the run starting over the server's work or the user's: it waits
// while a download runs or is queued and while a decode or a join of this
// window works, and never runs with the box cleared (the arrival is then
// told as it came) or with nothing arrived.
TEST_F(ArrivalDecodingTest, StartsOnlyOnceTheDownloadsAndRunsAreDone)
{
    struct Case {
        const char* what;
        bool ticked;
        bool arrived;
        bool downloadQueued;
        bool runWorking;
        bool decoded;
    };
    const Case cases[] = {
        {"due", true, true, false, false, true},
        {"box cleared", false, true, false, false, false},
        {"nothing arrived", true, false, false, false, false},
        {"a download waits", true, true, true, false, false},
        {"a decode or join works", true, true, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;
        session.workingFolder().choose(folder.path());
        arrivals.endArrivals(); // each case is a check of its own
        ops.log.clear();
        options.decodeArrivals = c.ticked;
        const std::string plain = PatternBytes(2000, 9);
        WriteFile(folder.file("61a2c6c314078b85.jpg"), ContainerBytes(plain, 0x21, kPadding, "photo.png"));
        checkArrivals.clear();
        if (c.arrived)
            arrive("61a2c6c314078b85.jpg");
        if (c.downloadQueued)
            downloader.queue().append(ServerTask::Download({"next.jpg", "http://127.0.0.1/next", "r", "10"}));
        queue.setRunning(c.runWorking);

        arrivals.runWhenDue();
        EXPECT_EQ(FileExists(folder.file("photo.png")), c.decoded);
        EXPECT_EQ(announced(), c.decoded || (c.arrived && !c.ticked)
                                   ? std::vector<std::string>{c.decoded ? "photo.png" : "61a2c6c314078b85.jpg"}
                                   : std::vector<std::string>{});

        // Once the download and the run are done, the held arrival's turn comes.
        downloader.queue().clear();
        queue.setRunning(false);
        arrivals.runWhenDue();
        EXPECT_EQ(FileExists(folder.file("photo.png")), c.ticked && c.arrived);
        if (c.ticked && c.arrived) {
            EXPECT_EQ(ReadFile(folder.file("photo.png")), plain);
        }
        options.decodeArrivals = true;
    }
}

// Guards boxes waiting for nobody in the tray and the run taking the
// program's own files: what a box would say goes to the status bar and the
// notice, which names the real files (a plain arrival as it came); a
// partial download (even a whole container), its record, a file an earlier
// run made, and parts whose next part is still downloading stay as they are.
TEST_F(ArrivalDecodingTest, TellsWithoutBoxesAndLeavesTheProgramsOwnFilesAlone)
{
    const std::string partial = ContainerBytes(PatternBytes(3000, 4), 0x11, kPadding, "partial.jpg");
    const std::string made = ContainerBytes(PatternBytes(3000, 5), 0x12, kPadding, "again.jpg");
    WriteFile(dir.file(".vexorama-partial-c3.jpg"), partial);
    WriteFile(dir.file(".vexorama-resume-c3.jpg"), "http://127.0.0.1/c3\n");
    WriteFile(dir.file("made.jpg"), made);
    MarkAsMade(dir.file("made.jpg"));
    for (const char* part : {"movie.avi.aa", "movie.avi.ab", ".vexorama-partial-movie.avi.ac"})
        WriteFile(dir.file(part), PatternBytes(500, 6));
    options.deleteAfterDecoding = true;
    const std::string photo = arrive("a1.jpg", "Отпуск.jpg", 1);
    WriteFile(dir.file("plain.jpg"), PatternBytes(40000, 3));
    arrive("plain.jpg");

    arrivals.runWhenDue();
    EXPECT_TRUE(ops.messages.empty());
    EXPECT_EQ(ReadFile(dir.file("Отпуск.jpg")), photo);
    EXPECT_NE(std::find(ops.statusHistory.begin(), ops.statusHistory.end(), "plain.jpg -  NOT PACK"),
              ops.statusHistory.end());
    EXPECT_EQ(announced(), (std::vector<std::string>{"Отпуск.jpg", "plain.jpg\nplain.jpg -  NOT PACK"}));
    EXPECT_EQ(ReadFile(dir.file(".vexorama-partial-c3.jpg")), partial);
    EXPECT_EQ(ReadFile(dir.file("made.jpg")), made);
    for (const char* untouched : {".vexorama-resume-c3.jpg", "movie.avi.aa"})
        EXPECT_TRUE(FileExists(dir.file(untouched))) << untouched;
    for (const char* never : {"partial.jpg", "again.jpg", "movie.avi"})
        EXPECT_FALSE(FileExists(dir.file(never))) << never;

    // Without the run, the same box waits for the user as before.
    run.scanAndDecode();
    EXPECT_EQ(ops.messageTexts(), std::vector<std::string>{"plain.jpg -  NOT PACK"});
}

} // namespace
} // namespace vexo
