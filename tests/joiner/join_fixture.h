// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "joiner/split.h"
#include "tests/support/byte_pattern.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace vexo::test {

// A folder of split parts and the log the joiner reports to.
class JoinFixture : public ::testing::Test {
protected:
    TempDir dir;
    FakeViews ops;

    // Writes a part and returns its content.
    std::string part(const std::string& name, std::size_t size)
    {
        std::string content = PatternBytes(size, static_cast<unsigned>(name.size() * 7 + name.back()));
        WriteFile(dir.file(name), content);
        return content;
    }
    // Whether every set was joined.
    bool join(bool deleteParts = false, std::int32_t interval = 100)
    {
        return JoinSplitFiles(dir.path(), ops, ops, deleteParts, Pacing(interval));
    }
};

} // namespace vexo::test
