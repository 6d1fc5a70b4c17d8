#include "status_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>

namespace vexo {

StatusBar::StatusBar(QWidget* parent) : QFrame(parent)
{
    setObjectName("StatusB");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(2);
    for (int panel = 0; panel < 2; ++panel) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
        label->setTextFormat(Qt::PlainText);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(panel == 0 ? QFrame::Sunken : QFrame::Raised);
        label->setMinimumHeight(17);
        panels_[panel] = label;
    }
    panels_[0]->setFixedWidth(570);
    // Long texts are cut, never widen the window.
    panels_[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(panels_[0]);
    layout->addWidget(panels_[1], 1);
}

void StatusBar::setPanelText(int panel, const QString& text)
{
    texts_[panel] = text;
    // A panel is one line high; line breaks inside a hint show as spaces.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    panels_[panel]->setText(shown);
}

QString StatusBar::panelText(int panel) const
{
    return texts_[panel];
}

void StatusBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}

} // namespace vexo
