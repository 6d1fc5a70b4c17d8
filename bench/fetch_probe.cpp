// SPDX-License-Identifier: GPL-3.0-or-later
// Fetches one address into a file with the program's FetchToFile, pumping
// the Qt event loop as a download does (at most once per 10 ms, between
// the polls of the transfer). Prints the number of pumps.
//   fetch_probe URL FILE
#include "downloader/http_fetch.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: fetch_probe URL FILE\n");
        return 2;
    }
    vexo::FetchProgress progress;
    long pumps = 0;
    try {
        const vexo::Fetched fetched = vexo::FetchToFile(argv[1], argv[2], "", progress, [&pumps] {
            QCoreApplication::processEvents();
            ++pumps;
        });
        if (fetched != vexo::Fetched::Whole) {
            std::fprintf(stderr, "fetch failed\n");
            return 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::printf("%ld\n", pumps);
    return 0;
}
