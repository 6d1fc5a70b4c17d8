// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QMap>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <utility>

namespace vexo {

namespace {

// Every size is offered to whoever asks for all of them: an X11 window
// manager is handed each picture when the window is made, and docks and
// window switchers draw the large ones.
constexpr int kSizes[] = {16, 24, 32, 48, 96, 128, 256};

// Reads each picture of the icon only when it is first drawn: where nothing
// draws the icon (no tray, no title-bar icons), start-up decodes nothing.
class ProgramIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        const int side = BestSide(size);
        QPixmap& picture = pictures_[side];
        if (picture.isNull())
            picture = Load(side);
        QPixmap result = picture.size() == size || picture.isNull()
                             ? picture
                             : picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        if (mode != QIcon::Normal) {
            QStyleOption option;
            result = QApplication::style()->generatedIconPixmap(mode, result, &option);
        }
        return result;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap picture = pixmap(rect.size() * ratio, mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, picture);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        const int side = BestSide(size);
        return side <= size.width() && side <= size.height() ? QSize(side, side) : size;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int side : kSizes)
            sizes << QSize(side, side);
        return sizes;
    }

    QIconEngine* clone() const override { return new ProgramIconEngine(*this); }
    QString key() const override { return QStringLiteral("vexorama"); }

private:
    static QPixmap Load(int side)
    {
        // A PNG read as such: guessing the format would load every image
        // plugin to ask whether it reads the file.
        QImageReader reader(QStringLiteral(":/icons/vexorama-%1.png").arg(side), "png");
        reader.setAutoDetectImageFormat(false);
        return QPixmap::fromImage(reader.read());
    }

    // The smallest picture at least as large as asked for, or the largest.
    static int BestSide(const QSize& size)
    {
        const int wanted = qMin(size.width(), size.height());
        for (int side : kSizes) {
            if (side >= wanted)
                return side;
        }
        return kSizes[std::size(kSizes) - 1];
    }

    QMap<int, QPixmap> pictures_;
};

// The error look's badge, in the lower right corner of `area`.
void PaintTroubleBadge(QPainter& painter, const QRectF& area)
{
    const qreal side = qMin(area.width(), area.height());
    const qreal diameter = qMax(7.0, side * 0.6);
    const qreal outline = qMax(1.0, diameter / 10);
    const QRectF badge(area.right() - diameter, area.bottom() - diameter, diameter, diameter);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // A white ring keeps the badge apart from the picture under it.
    painter.setPen(QPen(Qt::white, outline));
    painter.setBrush(QColor(0xd3, 0x2f, 0x2f));
    painter.drawEllipse(badge.adjusted(outline / 2, outline / 2, -outline / 2, -outline / 2));
    // The mark is drawn, not written: no font is legible at seven pixels.
    const qreal stroke = qMax(1.0, diameter * 0.16);
    const qreal middle = badge.center().x();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(middle - stroke / 2, badge.top() + diameter * 0.2, stroke, diameter * 0.38));
    painter.drawRect(QRectF(middle - stroke / 2, badge.top() + diameter * 0.66, stroke, stroke));
    painter.restore();
}

// Another icon with the badge painted over it, at each size it is asked for.
class TroubleIconEngine : public QIconEngine {
public:
    explicit TroubleIconEngine(QIcon own) : own_(std::move(own)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap picture = own_.pixmap(size, 1.0, mode, state);
        if (picture.isNull()) {
            picture = QPixmap(size);
            picture.fill(Qt::transparent);
        }
        QPainter painter(&picture);
        PaintTroubleBadge(painter, QRectF(picture.rect()));
        return picture;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        own_.paint(painter, rect, Qt::AlignCenter, mode, state);
        PaintTroubleBadge(*painter, QRectF(rect));
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return own_.actualSize(size, mode, state);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return own_.availableSizes(mode, state);
    }

    QIconEngine* clone() const override { return new TroubleIconEngine(own_); }
    QString key() const override { return QStringLiteral("vexorama-trouble"); }

private:
    QIcon own_;
};

} // namespace

QIcon TroubleIcon(const QIcon& icon)
{
    return QIcon(new TroubleIconEngine(icon));
}

QIcon ProgramIcon()
{
    return QIcon(new ProgramIconEngine);
}

} // namespace vexo
