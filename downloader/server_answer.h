// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vexo {

class ByteStream;
class ServerFiles;

enum class AnswerKind {
    Connected,    // "connected": the list followed
    Refused,      // "error": the login was refused
    Unrecognised, // anything else, an empty answer included
};

// Reads the server's answer to the listing request: the first line, and
// after "connected" four lines per file up to "=END=". Files go into
// `files`, which must be empty. The list also ends when the answer ends
// early (a file whose four lines did not all arrive is dropped), when a
// line runs past the length limit, and when the table is full; only a list
// that ended with "=END=" is marked whole.
// Names and sizes arrive in Windows-1251 and are kept as UTF-8; addresses
// and removal references keep their bytes.
AnswerKind ReadServerAnswer(ByteStream& stream, ServerFiles& files);

} // namespace vexo
