// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/program_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QMap>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

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

} // namespace

QIcon ProgramIcon()
{
    return QIcon(new ProgramIconEngine);
}

} // namespace vexo
