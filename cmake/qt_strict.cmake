# SPDX-License-Identifier: GPL-3.0-or-later
# Qt's strict text rules for every target that links Qt: no silent
# conversion between char strings or byte arrays and QString (each must
# say its encoding: QStringLiteral, QLatin1String, QString::fromUtf8), and
# no narrowing conversions between a signal's and a slot's arguments.
# Every Qt target links vexo_qt_strict, directly or through vexo_app.
add_library(vexo_qt_strict INTERFACE)
target_compile_definitions(vexo_qt_strict INTERFACE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                                    QT_NO_CAST_FROM_BYTEARRAY QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
