// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vexo::test {

// Environment changes for a started program: a value, or nothing to remove
// the variable.
using Environment = std::map<std::string, std::optional<std::string>>;

// Where a started program runs and where its output goes; empty: the test's own.
struct Surroundings {
    std::string currentFolder{};
    std::string outputFile{}; // standard output
    std::string errorFile{};  // standard error
};

// Called in a child just forked by `parent`: the child is killed when the
// test that started it ends, even when the test crashes or is killed, so
// that no peer outlives it holding ports and folders. (The kernel sends the
// signal when the forking thread ends; tests start their peers from the
// main thread.)
void DieWithParent(pid_t parent);

// Starts `program` (a path, not searched for) with `args` and the test's
// environment changed by `environment`, in its `surroundings`; it dies with
// the test (DieWithParent). Returns the process id.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& args,
                   const Environment& environment = {}, const Surroundings& surroundings = {});

// The exit status of a started program that ends by itself before
// `deadline` (or within `limit`); -1 when it had to be killed (a run that
// hangs, a box waiting for a user) or died of a signal.
int WaitForExit(pid_t child, std::chrono::steady_clock::time_point deadline);
int WaitForExit(pid_t child, std::chrono::seconds limit);

// Whether a started program still runs; it is left to be waited for.
bool Running(pid_t child);

// A started program that is killed, if it still runs, when the object goes,
// so that a failed test leaves nothing behind.
class StartedProgram {
public:
    StartedProgram(const std::string& program, const std::vector<std::string>& args,
                   const Environment& environment = {}, const Surroundings& surroundings = {});
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    pid_t pid() const { return pid_; }
    bool running() const;
    // See WaitForExit; the program is gone afterwards.
    int waitForExit(std::chrono::seconds limit);
    // Sends `signal` and waits for the exit status as waitForExit does.
    int stop(int signal, std::chrono::seconds limit);

private:
    pid_t pid_ = -1;
    bool reaped_ = false;
};

} // namespace vexo::test
