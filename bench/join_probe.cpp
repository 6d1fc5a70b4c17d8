// SPDX-License-Identifier: GPL-3.0-or-later
// Joins the split parts of one folder the way the "Соединение" button does,
// against views that do nothing, so that the benchmark measures the
// joiner's own cost: the copying, the log lines, the bar arithmetic and the
// calls to pump(). With --delete each part goes once its bytes are in the
// output and on the disk, as with "Автоудаление".
//   join_probe FOLDER [INTERVAL] [--delete]
#include "bench/null_views.h"
#include "joiner/split.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv)
{
    const bool deleteParts = argc >= 2 && std::string_view(argv[argc - 1]) == "--delete";
    const int count = deleteParts ? argc - 1 : argc;
    if (count < 2 || count > 3) {
        std::fprintf(stderr, "usage: join_probe FOLDER [INTERVAL] [--delete]\n");
        return 2;
    }
    const int interval = count == 3 ? std::atoi(argv[2]) : 100;
    vexo::bench::NullViews views;
    vexo::JoinSplitFiles(argv[1], views, views, deleteParts, vexo::Pacing(interval));
    return views.warnings == 0 ? 0 : 1;
}
