// SPDX-License-Identifier: GPL-3.0-or-later
// Joins the split parts of one folder the way the "Соединение" button does,
// against views that do nothing, so that the benchmark measures the
// joiner's own cost: the copying, the log lines, the bar arithmetic and the
// calls to pump().
//   join_probe FOLDER [INTERVAL]
#include "bench/null_views.h"
#include "joiner/split.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: join_probe FOLDER [INTERVAL]\n");
        return 2;
    }
    const int interval = argc == 3 ? std::atoi(argv[2]) : 100;
    vexo::bench::NullViews views;
    vexo::JoinSplitFiles(argv[1], views, views, false, interval);
    return views.warnings == 0 ? 0 : 1;
}
