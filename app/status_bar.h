// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QFrame>
#include <QString>

namespace vexo {

// The window's status bar: panel 0, 570 wide, for status texts; panel 1
// (raised) for the words of the queued server tasks. A click anywhere on it
// is reported. It draws its panels itself: long work changes panel 0's text
// thousands of times, and a text change here costs a repaint, never a
// relayout of the window. Screen readers see each panel as a text of its own.
class StatusBar : public QFrame {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent);

    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;
    // Draws the panels now, for work that does not return to the event
    // loop; within a frame of the last such drawing, at the next chance.
    void repaintNow();

    // Where a panel is drawn, in the bar's coordinates.
    QRect panelRect(int panel) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString texts_[2];
    QElapsedTimer painted_;
};

} // namespace vexo
