// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/status_bar.h"

#include "app/status_bar_accessible.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>

namespace vexo {

namespace {

constexpr int kPanel0Width = 570;
// One frame of a 60 Hz screen: painting faster shows nothing more.
constexpr int kLeastRepaintGapMs = 16;
constexpr int kMargin = 2;

} // namespace

StatusBar::StatusBar(QWidget* parent) : QFrame(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    InstallStatusBarAccessibility();
}

void StatusBar::setPanelText(int panel, const QString& text)
{
    if (texts_[panel] == text)
        return;
    texts_[panel] = text;
    update(panelRect(panel));
    AnnouncePanelText(this, panel);
}

QString StatusBar::panelText(int panel) const
{
    return texts_[panel];
}

void StatusBar::repaintNow()
{
    if (painted_.isValid() && painted_.elapsed() < kLeastRepaintGapMs) {
        update();
        return;
    }
    repaint();
    painted_.start();
}

QSize StatusBar::sizeHint() const
{
    return {kPanel0Width + 2 * kMargin, fontMetrics().height() + 2 * kMargin + 4};
}

QSize StatusBar::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

QRect StatusBar::panelRect(int panel) const
{
    const QRect inner = rect().adjusted(kMargin, kMargin, -kMargin, -kMargin);
    if (panel == 0)
        return {inner.left(), inner.top(), qMin(kPanel0Width, inner.width()), inner.height()};
    return inner.adjusted(kPanel0Width + kMargin, 0, 0, 0);
}

void StatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (int panel = 0; panel < 2; ++panel) {
        const QRect box = panelRect(panel);
        if (box.width() <= 0)
            continue;
        qDrawShadePanel(&painter, box, palette(), panel == 0, 1);
        // A panel is one line high; line breaks inside a hint show as spaces.
        QString shown = texts_[panel];
        shown.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QRect textBox = box.adjusted(4, 1, -4, -1);
        painter.setClipRect(textBox);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, shown);
        painter.setClipping(false);
    }
}

void StatusBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

} // namespace vexo
