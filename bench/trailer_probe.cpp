// SPDX-License-Identifier: GPL-3.0-or-later
// How often the trailer check takes a plain file for an encoded one: runs
// it over TAILS random 262-byte tails (the last bytes of a picture with a
// random-looking end) for a file of each SIZE in bytes, and prints how many
// passed. The tails come from a fixed seed, so two builds see the same ones.
//   trailer_probe TAILS SIZE...
#include "decoder/encoded_file.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string_view>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: trailer_probe TAILS SIZE...\n");
        return 2;
    }
    const long long tails = std::atoll(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const long long size = std::atoll(argv[i]);
        std::mt19937_64 random(20261209);
        std::array<std::uint64_t, 33> words{}; // 264 bytes, the tail's 262 first
        long long passed = 0;
        for (long long n = 0; n < tails; ++n) {
            for (std::uint64_t& word : words)
                word = random();
            const std::string_view tail(reinterpret_cast<const char*>(words.data()), 262);
            if (vexo::ParseTrailer(tail, size))
                ++passed;
        }
        std::printf("size %lld: %lld of %lld random tails pass the check", size, passed, tails);
        if (passed > 0)
            std::printf(" (1 in %.0f)", static_cast<double>(tails) / static_cast<double>(passed));
        std::printf("\n");
    }
    return 0;
}
