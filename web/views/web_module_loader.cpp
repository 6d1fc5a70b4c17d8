// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/views/web_module_loader.h"

#include "base/program_files.h"
#include "web/views/web_engine.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QPluginLoader>

#include <unistd.h>

namespace vexo {

namespace {

constexpr const char* kModuleFile = kWebModuleFileName;

// The engine's renderer sandbox refuses to start as root; the engine reads
// this before its first view is made.
void AllowRunningAsRoot()
{
    if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

QtMessageHandler previousHandler = nullptr;

// The program starts without shared OpenGL contexts, so that start-up never
// loads OpenGL; the engine then warns that it was loaded late, and draws
// its pages all the same. Every other message goes on as before.
void DropLateLoadWarning(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.startsWith(QLatin1String("Qt WebEngine seems to be initialized from a plugin"))
        || message.startsWith(QLatin1String("WebEngineContext used before QtWebEngineCore::initialize()")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

// The engine lists its whole configuration when it starts; that is for
// debugging it, not for the program's output. QT_LOGGING_RULES still wins.
void QuietEngineStart()
{
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    previousHandler = qInstallMessageHandler(DropLateLoadWarning);
}

} // namespace

QStringList WebModuleLoader::DefaultCandidates()
{
    const QString folder = QCoreApplication::applicationDirPath();
    return {folder + QLatin1Char('/') + QLatin1String(kModuleFile),
            folder + QLatin1String("/../lib/vexorama/") + QLatin1String(kModuleFile)};
}

WebModuleLoader::WebModuleLoader(QStringList candidates) : candidates_(std::move(candidates))
{}

WebModuleLoader::~WebModuleLoader() = default;

WebEngine* WebModuleLoader::engine()
{
    if (tried_)
        return engine_;
    tried_ = true;

    QString path;
    for (const QString& candidate : candidates_) {
        if (QFileInfo::exists(candidate)) {
            path = QFileInfo(candidate).canonicalFilePath();
            break;
        }
    }
    if (path.isEmpty()) {
        error_ = QString::fromUtf8("Веб-страницы недоступны: не найден модуль %1 (искали: %2).")
                     .arg(QLatin1String(kModuleFile), candidates_.join(QLatin1String(", ")));
        return nullptr;
    }

    AllowRunningAsRoot();
    QuietEngineStart();
    plugin_ = std::make_unique<QPluginLoader>(path);
    QObject* instance = plugin_->instance();
    engine_ = qobject_cast<WebEngine*>(instance);
    if (!engine_) {
        error_ = QString::fromUtf8("Веб-страницы недоступны: модуль %1 не загружается (%2).")
                     .arg(path, instance ? QString::fromUtf8("чужой модуль") : plugin_->errorString());
    }
    return engine_;
}

} // namespace vexo
