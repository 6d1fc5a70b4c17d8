#pragma once

#include <QFrame>

class QLabel;

namespace vexo {

// The status bar `StatusB`: panel 0 for status texts, panel 1 (raised) for
// the words of the queued server tasks. A click anywhere on it is reported.
class StatusBar : public QFrame {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent);

    void setPanelText(int panel, const QString& text);
    QString panelText(int panel) const;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QLabel* panels_[2];
    QString texts_[2];
};

} // namespace vexo
