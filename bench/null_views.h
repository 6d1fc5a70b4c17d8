// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "base/dialogs.h"
#include "decoder/decoder_view.h"
#include "joiner/joiner_log.h"

#include <cstdio>
#include <string>

namespace vexo::bench {

// Views whose every call is a real call that returns at once, so that a
// benchmark measures the logic's own cost. Message boxes are counted and
// printed, since a benchmark's run must not fail.
class NullViews final : public DecoderView, public JoinerLog, public Dialogs {
public:
    int warnings = 0;

    // DecoderView
    void setEnabled(DecoderControl, bool) override {}
    void focus(DecoderControl) override {}
    void showOptions(const DecoderOptions&) override {}
    void showWorkingFolder(const std::string&, bool) override {}
    void lineAppended(const std::string&) override {}
    void lineChanged(int, const std::string&) override {}
    void lineRemoved(int) override {}
    void linesCleared() override {}
    void lineSelected(int) override {}
    void describeEntry(const std::optional<EntryDetails>&) override {}
    void showRunProgress(std::int64_t) override {}
    void showFileProgress(std::int64_t) override {}
    void showStatus(const std::string&) override {}
    void repaintStatusNow() override {}

    // JoinerLog
    void logLine(const std::string&) override {}
    void rewriteLastLine(const std::string&) override {}
    void selectLastLine() override {}
    void showPartProgress(std::int64_t) override {}
    void showByteProgress(std::int64_t) override {}

    // Dialogs
    void showMessage(MessageKind, const std::string& text) override
    {
        ++warnings;
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    void showNotice(MessageKind kind, const std::string& text) override { showMessage(kind, text); }
    std::vector<std::string> pickFiles(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> pickFolder(const std::string&, const std::string&) override { return {}; }
    void openExternally(const std::string&) override {}
    void pump() override {}
};

} // namespace vexo::bench
