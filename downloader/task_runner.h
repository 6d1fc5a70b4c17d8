// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace vexo {

struct Downloader;

// One tick of the runner: carries out the check at the head of the queue,
// then the download now at the head, then the removal now at the head, so
// one tick can list, fetch and remove a file. The tick sets the timers
// once: the runner's is off while the tasks run and on again when they end,
// and the automatic check follows its switch once the queue is empty. A
// call made while a task is being carried out (from the pumps inside it)
// does nothing.
void RunNextTask(Downloader& downloader);

// Whether a name from the server may be joined to the working folder: not
// empty, not "." or "..", and holding no "/" and no NUL.
bool IsPlainFileName(const std::string& name);

// The address that removes a file on the server: "http://" + host +
// "/uploader/" + the removal reference, joined as plain text.
std::string RemovalAddress(const std::string& host, const std::string& removeRef);

} // namespace vexo
