// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "web/views/web_engine.h"

#include <QWebEngineView>

namespace vexo {

// A QWebEngineView behind the program's view interface.
class WebEngineView : public QWebEngineView, public EngineView {
    Q_OBJECT
public:
    explicit WebEngineView(QWidget* parent);

    QWidget* widget() override { return this; }
    void navigate(const QUrl& url) override;
    QString location() const override;
    void whenLoaded(std::function<void(bool loaded)> done) override;

private:
    std::function<void(bool loaded)> done_;
};

} // namespace vexo
