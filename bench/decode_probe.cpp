// Inspects and decodes one encoded file the way a decode run does (status
// text, bar and repaint after every block, a pump every UPDATE blocks),
// against a window that does nothing, so that the benchmark measures the
// decoder's own cost. The output lands beside the encoded file.
//   decode_probe CONTAINER [UPDATE]
#include "decoder/decode_file.h"
#include "decoder/encoded_file.h"
#include "bench/null_window.h"
#include "base/session.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: decode_probe CONTAINER [UPDATE]\n");
        return 2;
    }
    vexo::bench::NullWindow window;
    vexo::Session session;
    session.update = argc == 3 ? std::atoi(argv[2]) : 100;
    try {
        const auto entry = vexo::InspectFile(argv[1], true, window);
        if (!entry)
            return 1;
        vexo::DecodeFile(*entry, 0, session, window);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return window.warnings == 0 ? 0 : 1;
}
