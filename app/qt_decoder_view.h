// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/decoder_view.h"

class QWidget;

namespace vexo {

class FramedBars;
struct MainWindowControls;

// The decoder tab's view on its widgets. What it sets never runs the
// widgets' handlers: those answer the user alone.
class QtDecoderView : public DecoderView {
public:
    QtDecoderView(MainWindowControls& controls, FramedBars& bars) : c_(controls), bars_(bars) {}

    void setEnabled(DecoderControl control, bool enabled) override;
    void focus(DecoderControl control) override;
    void showOptions(const DecoderOptions& options) override;
    void showWorkingFolder(const std::string& folder, bool missing) override;

    void lineAppended(const std::string& text) override;
    void lineChanged(int index, const std::string& text) override;
    void lineRemoved(int index) override;
    void linesCleared() override;
    void lineSelected(int index) override;

    void describeEntry(const std::optional<EntryDetails>& details) override;

    void showRunProgress(std::int64_t percent) override;
    void showFileProgress(std::int64_t percent) override;
    void showStatus(const std::string& text) override;
    void repaintStatusNow() override;

private:
    QWidget* widget(DecoderControl control) const;

    MainWindowControls& c_;
    FramedBars& bars_;
};

} // namespace vexo
