// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <string>

namespace vexo {

class Downloader;
struct WindowContext;

// The web pages' side of the window: the two page tabs, "Подробнее",
// "Откр. Сайт", and the hidden tab's address box and "Download".
class WebBindings : public QObject {
    Q_OBJECT
public:
    // The upload page is on the server `downloader` checks.
    WebBindings(WindowContext& context, const Downloader& downloader);

private:
    void downloadTypedAddress();

    WindowContext& context_;
    const Downloader& downloader_;
    // The address box's text, as the user typed it.
    std::string typedAddress_;
};

} // namespace vexo
