// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The interface between the program and its web engine module. The module
// is loaded only when a page is first needed, so that the program itself
// never links the web engine: this header includes nothing of it.
#include <QString>
#include <QUrl>
#include <QtPlugin>

#include <functional>

class QWidget;

namespace vexo {

// One embedded browser view.
class EngineView {
public:
    virtual ~EngineView() = default;

    // The view's widget; its parent owns it, and this object with it.
    virtual QWidget* widget() = 0;
    // Starts loading `url` and returns at once.
    virtual void navigate(const QUrl& url) = 0;
    // The address of the page shown, as the engine reports it.
    virtual QString location() const = 0;
    // Called when a load ends: false when the page could not be fetched,
    // came with an HTTP error status or was stopped. An empty function
    // reports nothing.
    virtual void whenLoaded(std::function<void(bool loaded)> done) = 0;
};

class WebEngine {
public:
    virtual ~WebEngine() = default;

    // A new view, a child of `parent`.
    virtual EngineView* createView(QWidget* parent) = 0;
};

} // namespace vexo

#define VEXO_WEB_ENGINE_IID "io.github.vexorama.Vexorama.WebEngine/2"
Q_DECLARE_INTERFACE(vexo::WebEngine, VEXO_WEB_ENGINE_IID)
