// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/engine/engine_language.h"

#include <QByteArray>
#include <QWebEngineProfile>

namespace vexo {

namespace {

constexpr const char* kEngineFlags = "QTWEBENGINE_CHROMIUM_FLAGS";

} // namespace

void SpeakRussian()
{
    // The engine reads its interface language from its flags once, when it
    // starts; without one it would take the desktop's.
    QByteArray flags = qgetenv(kEngineFlags);
    if (!flags.contains("--lang=")) {
        flags += flags.isEmpty() ? "--lang=ru" : " --lang=ru";
        qputenv(kEngineFlags, flags);
    }
    QWebEngineProfile::defaultProfile()->setHttpAcceptLanguage(QStringLiteral("ru-RU,ru"));
}

} // namespace vexo
