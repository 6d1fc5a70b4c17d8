// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/int_text.h"
#include "base/size_text.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vexo {
namespace {

// Guards: a wrong prefix, sign, blank or overflow rule in integer reading.
TEST(ParseInt32, ReadsDecimalAndHexAndRejectsEverythingElse)
{
    EXPECT_EQ(ParseInt32("0x20"), 32);
    EXPECT_EQ(ParseInt32("0X20"), 32);
    EXPECT_EQ(ParseInt32("$20"), 32);
    EXPECT_EQ(ParseInt32("-5"), -5);
    EXPECT_EQ(ParseInt32("+7"), 7);
    EXPECT_EQ(ParseInt32(" 12"), 12);
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInt32("$FFFFFFFF"), -1);
    EXPECT_EQ(ParseInt32("0x80000000"), INT32_MIN);
    EXPECT_EQ(ParseInt32("-$10"), -16);
    for (const char* bad : {"", " ", "-", "$", "0x", "abc", "12 ", "1 2", "2147483648", "-2147483649", "$100000000",
                            "0x1G", "12abc", "1.5"})
        EXPECT_EQ(ParseInt32(bad), std::nullopt) << "'" << bad << "'";
}

// Guards: a plain decimal read past its range (64-bit overflow, the bounds
// given) or taken with a blank, a "+", hex or trailing characters.
TEST(ParseDecimal, ReadsPlainDecimalsWithinTheirBounds)
{
    EXPECT_EQ(ParseDecimal("9223372036854775807", INT64_MIN, INT64_MAX), INT64_MAX);
    EXPECT_EQ(ParseDecimal("-9223372036854775808", INT64_MIN, INT64_MAX), INT64_MIN);
    EXPECT_EQ(ParseDecimal("65535", 0, 65535), 65535);
    EXPECT_EQ(ParseDecimal("-0", 0, 1), 0);
    EXPECT_EQ(ParseUnsignedDecimal("18446744073709551615"), UINT64_MAX);
    for (const char* bad : {"", "-", "+1", " 1", "1 ", "0x1", "$1", "1a", "65536", "-1", "99999999999999999999"})
        EXPECT_EQ(ParseDecimal(bad, 0, 65535), std::nullopt) << "'" << bad << "'";
    EXPECT_EQ(ParseDecimal("9223372036854775808", INT64_MIN, INT64_MAX), std::nullopt);
    EXPECT_EQ(ParseDecimal("-9223372036854775809", INT64_MIN, INT64_MAX), std::nullopt);
    EXPECT_EQ(ParseUnsignedDecimal("18446744073709551616"), std::nullopt);
    EXPECT_EQ(ParseUnsignedDecimal("-1"), std::nullopt);
}

// Guards: a conversion failure without the offending text in its message.
TEST(StrToInt, NamesTheTextItCannotRead)
{
    EXPECT_EQ(StrToInt("$1F"), 31);
    try {
        StrToInt("12a");
        FAIL() << "no ConversionError";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'12a' is not a valid integer value");
    }
}

// Guards: off-by-one at the unit steps, rounding instead of truncation, or a
// gigabyte step that the local sizes must not have.
TEST(SizeToText, StepsBy1024AndTruncates)
{
    const std::vector<std::pair<std::int64_t, std::string>> cases = {
        {0, "0 б"},        {1023, "1023 б"},          {1024, "1 Кб"},          {1048575, "1023 Кб"},
        {1048576, "1 Мб"}, {10737418240, "10240 Мб"}, {5368709120, "5120 Мб"}, {-1, "-1 б"},
    };
    for (const auto& [count, text] : cases)
        EXPECT_EQ(SizeToText(count), text) << count;
}

// Guards: wrong thousands steps, a lost rounding carry into the whole part,
// or an overflow of sizes past 2 GiB in the server's list.
TEST(ServerSizeToText, WorksInThousandsWithDecimalGigabytes)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "0 б"},
        {"999", "0 б"},
        {"1000", "1 Кб"},
        {"1047999", "1047 Кб"},
        {"1048000", "1 Мб"},
        {"1073740999", "1024 Мб"},
        {"1073741000", "1,000 Гб"},
        {"1127428000", "1,050 Гб"},
        {"2147481000", "2,000 Гб"},
        {"5000000000", "4,657 Гб"},
        {"12345xyz", "11 Мб"},
        {"12345жжж", "11 Мб"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ServerSizeToText(text), expected) << text;
}

// Guards: a damaged or oversized size from the server passing as a number.
TEST(ServerSizeToText, ThrowsWithTheRestThatIsNotANumber)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"12a345", "'12a' is not a valid integer value"},
        {"2147483648000", "'2147483648' is not a valid integer value"},
    };
    for (const auto& [text, message] : cases) {
        try {
            ServerSizeToText(text);
            ADD_FAILURE() << "no ConversionError for " << text;
        } catch (const ConversionError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

} // namespace
} // namespace vexo
