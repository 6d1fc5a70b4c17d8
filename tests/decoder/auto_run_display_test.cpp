// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/container_format.h"
#include "tests/decoder/test_containers.h"
#include "tests/display_support/display_test.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/skip_or_fail.h"
#include "tests/support/started_program.h"
#include "tests/support/temp_dir.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>

#include <unistd.h>

namespace vexo {
namespace {

using test::ContainerBytes;
using test::HasRealDisplay;
using test::PatternBytes;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// The program in a folder of its own (it keeps its settings beside itself),
// started on the test's X display, where no window manager runs.
class UnattendedOnXTest : public ::testing::Test {
protected:
    TempDir root;
    std::string data = root.file("data");
    std::string program = root.file("program/vexorama");
    QProcess process;

    void SetUp() override
    {
        if (!HasRealDisplay())
            VEXO_SKIP_OR_FAIL() << "needs an X display (xvfb-run)";
        std::filesystem::create_directories(root.file("program"));
        std::filesystem::create_directories(data);
        std::filesystem::copy_file(test::BuildProgram(QStringLiteral("vexorama")).toStdString(), program);
    }
    void TearDown() override
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    void start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([parent = ::getpid()] { test::DieWithParent(parent); });
        process.start(QString::fromStdString(program),
                      {QStringLiteral("/a"), QStringLiteral("/d"), QString::fromStdString(data)});
        ASSERT_TRUE(process.waitForStarted(10000));
    }
};

// Guards "/a" waiting for an activation that never comes on a display
// without a window manager (a kiosk, xvfb-run): nothing was decoded and the
// program never ended. It decodes, exits by itself, and with status 0.
TEST_F(UnattendedOnXTest, DecodesAndExitsWithoutAWindowManager)
{
    const std::string plain = PatternBytes(90000, 4);
    WriteFile(data + "/x.avi", ContainerBytes(plain, 0x42, "lead", "clip.bin"));
    start();
    ASSERT_TRUE(process.waitForFinished(30000)) << "the unattended run did not end";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_TRUE(ReadFile(data + "/clip.bin") == plain);
    EXPECT_FALSE(std::filesystem::exists(data + "/x.avi"));
}

// Guards an unattended run that waited at a box until a user answered it,
// and failed for a file that is no container: an ordinary picture in the
// folder is told on standard error, no box waits, and the status is 0.
TEST_F(UnattendedOnXTest, PlainPictureNeitherHoldsNorFailsTheRun)
{
    WriteFile(data + "/plain.jpg", std::string(35200, 'p'));
    const std::string plain = PatternBytes(40000, 5);
    WriteFile(data + "/y.avi", ContainerBytes(plain, 0x11, "", "good.bin"));
    start();
    ASSERT_TRUE(process.waitForFinished(30000)) << "the unattended run did not end";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_NE(QString::fromUtf8(process.readAllStandardError()).indexOf(QStringLiteral("plain.jpg -  NOT PACK")), -1);
    EXPECT_TRUE(ReadFile(data + "/good.bin") == plain);
}

} // namespace
} // namespace vexo
