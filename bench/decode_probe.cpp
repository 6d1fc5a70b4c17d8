// SPDX-License-Identifier: GPL-3.0-or-later
// Inspects and decodes one encoded file the way a decode run does (status
// text, bar and repaint after every block, a pump every UPDATE blocks),
// against views that do nothing, so that the benchmark measures the
// decoder's own cost. The output lands beside the encoded file.
//   decode_probe CONTAINER [UPDATE]
#include "bench/null_views.h"
#include "decoder/decode_file.h"
#include "decoder/encoded_file.h"
#include "decoder/queue_list.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: decode_probe CONTAINER [UPDATE]\n");
        return 2;
    }
    vexo::bench::NullViews views;
    vexo::QueueList list(views);
    const int update = argc == 3 ? std::atoi(argv[2]) : 100;
    try {
        const auto entry = vexo::InspectFile(argv[1], true, views);
        if (!entry)
            return 1;
        vexo::DecodeFile(*entry, 0, vexo::Pacing(update), list, views, views);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return views.warnings == 0 ? 0 : 1;
}
