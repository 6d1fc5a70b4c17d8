// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QPluginLoader;

namespace vexo {

class WebEngine;

// Finds and loads the web engine module on first use. The program links no
// part of the web engine, so start-up and the unattended run never load it.
class WebModuleLoader {
public:
    // The places tried, in order: beside the executable (the build tree),
    // then ../lib/vexorama/ (an installed tree).
    static QStringList DefaultCandidates();

    explicit WebModuleLoader(QStringList candidates = DefaultCandidates());
    ~WebModuleLoader();

    // The engine, loaded at the first call; null when the module cannot be
    // loaded, with the reason in error(). A failed load is not retried.
    WebEngine* engine();
    const QString& error() const { return error_; }

private:
    QStringList candidates_;
    std::unique_ptr<QPluginLoader> plugin_;
    WebEngine* engine_ = nullptr;
    bool tried_ = false;
    QString error_;
};

} // namespace vexo
