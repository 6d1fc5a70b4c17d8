// SPDX-License-Identifier: GPL-3.0-or-later
#include "downloader/server_answer.h"

#include "base/cp1251.h"
#include "downloader/line_reader.h"
#include "downloader/server_files.h"

#include <array>

namespace vexo {

AnswerKind ReadServerAnswer(ByteStream& stream, ServerFiles& files)
{
    const AnswerLine first = ReadLine(stream);
    if (first.text == "error")
        return AnswerKind::Refused;
    if (first.text != "connected")
        return AnswerKind::Unrecognised;
    if (first.end != LineEnd::Feed)
        return AnswerKind::Connected;

    while (!files.full()) {
        std::array<AnswerLine, 4> lines;
        lines[0] = ReadLine(stream);
        if (lines[0].end != LineEnd::Feed)
            break;
        if (lines[0].text == "=END=") {
            files.markWhole();
            break;
        }
        bool whole = true;
        for (std::size_t i = 1; i < lines.size() && whole; ++i) {
            lines[i] = ReadLine(stream);
            whole = lines[i].end == LineEnd::Feed;
        }
        if (!whole)
            break;
        files.add({Cp1251ToUtf8(lines[0].text), std::move(lines[1].text), std::move(lines[2].text),
                   Cp1251ToUtf8(lines[3].text)});
    }
    return AnswerKind::Connected;
}

} // namespace vexo
