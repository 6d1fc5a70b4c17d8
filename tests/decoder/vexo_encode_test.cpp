// SPDX-License-Identifier: GPL-3.0-or-later
// The vexo-encode program itself, run as a user would run it.
#include "base/program_version.h"
#include "decoder/container_format.h"
#include "tests/decoder/folder_scan_decode.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace vexo {
namespace {

using test::PatternBytes;
using test::TempDir;
using test::WriteFile;

struct Finished {
    int status = -1; // the exit status; -1 when it did not exit by itself
    std::string output;
};

// Runs vexo-encode with `args` and reads its standard output to the end.
Finished RunEncoder(const std::vector<std::string>& args)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        std::vector<char*> argv{const_cast<char*>(VEXO_ENCODE_PROGRAM)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(VEXO_ENCODE_PROGRAM, argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    Finished finished;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        finished.output.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return finished;
}

// Guards containers under 35,200 bytes, which the program's folder scan
// passes over without a word: a small plain file, even with no leading
// bytes asked for, is padded with leading bytes, and the program decodes
// the container back to exactly the plain bytes.
TEST(VexoEncodeTest, SmallFileMakesAContainerTheFolderScanTakes)
{
    for (const std::size_t plainSize : {0u, 10u, 34937u, 34938u, 40000u}) {
        SCOPED_TRACE(plainSize);
        TempDir plainFolder;
        TempDir folder;
        const std::string plain = PatternBytes(plainSize, 9);
        WriteFile(plainFolder.file("tiny.txt"), plain);
        ASSERT_EQ(RunEncoder({"--leading", "0", plainFolder.file("tiny.txt"), folder.file("tiny.jpg")}).status, 0);
        const auto size = static_cast<std::int64_t>(std::filesystem::file_size(folder.file("tiny.jpg")));
        EXPECT_EQ(size, std::max<std::int64_t>(kMinimumContainerSize, plainSize + kTrailerSize));
        const auto decoded = test::DecodeTheOneContainerFound(folder.path());
        ASSERT_TRUE(decoded) << "the folder scan passed the container over";
        EXPECT_TRUE(*decoded == plain) << decoded->size() << " bytes decoded";
    }
}

// Guards vexo-encode without "--version", and a help that does not tell of the padding.
TEST(VexoEncodeTest, VersionAndHelp)
{
    const Finished version = RunEncoder({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output, "vexo-encode " VEXO_VERSION "\n");
    const Finished help = RunEncoder({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("35,200 bytes"), std::string::npos) << help.output;
    EXPECT_NE(help.output.find("--version"), std::string::npos) << help.output;
}

} // namespace
} // namespace vexo
