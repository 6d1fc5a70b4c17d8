// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <cstdint>

namespace vexo {

struct WindowContext;

// The shell's controls bound to their handlers: the working folder's box,
// "Обзор" and "Откр. Папку", the decoder's three option boxes, the decoder
// tab coming to the front (and Enter on it), and the right clicks on the
// file progress bar that reveal the hidden tab.
class ShellBindings : public QObject {
    Q_OBJECT
public:
    explicit ShellBindings(WindowContext& context);

    // The decoder tab is shown: "Добавить всё" takes the focus.
    void decoderTabShown();

private:
    void bindEnterToDefaultButton();

    WindowContext& context_;
    std::uint8_t hiddenTabClicks_ = 0;
};

} // namespace vexo
