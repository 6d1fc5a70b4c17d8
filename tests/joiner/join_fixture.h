#pragma once

#include "tests/support/fake_window.h"
#include "joiner/split.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace vexo::test {

// Bytes that differ from part to part and from offset to offset, so that a
// part copied twice, left out or out of order shows in the output.
inline std::string PatternBytes(std::size_t size, unsigned seed)
{
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 31 + seed * 97 + i / 251) & 0xFF);
    return bytes;
}

// A folder of split parts and the window the joiner reports to.
class JoinFixture : public ::testing::Test {
protected:
    TempDir dir;
    FakeWindow ops;

    // Writes a part and returns its content.
    std::string part(const std::string& name, std::size_t size)
    {
        std::string content = PatternBytes(size, static_cast<unsigned>(name.size() * 7 + name.back()));
        WriteFile(dir.file(name), content);
        return content;
    }
    void join(bool deleteParts = false, std::int32_t interval = 100)
    {
        JoinSplitFiles(dir.path(), ops, deleteParts, interval);
    }
};

} // namespace vexo::test
