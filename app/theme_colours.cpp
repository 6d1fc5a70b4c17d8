// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/theme_colours.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>
#include <QPushButton>
#include <QTextEdit>

#include <functional>
#include <utility>

namespace vexo {

namespace {

using PaletteRule = std::function<void(QPalette& own, const QPalette& inherited)>;

// Sets a few roles of a widget's palette from the palette it inherits, and
// again whenever that changes (a new desktop theme, a new style).
class PaletteFollower : public QObject {
public:
    PaletteFollower(QWidget* widget, PaletteRule rule) : QObject(widget), widget_(widget), rule_(std::move(rule))
    {
        apply();
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget_ && event->type() == QEvent::PaletteChange)
            apply();
        return QObject::eventFilter(watched, event);
    }

private:
    void apply()
    {
        const QWidget* parent = widget_->parentWidget();
        const QPalette inherited = parent ? parent->palette() : QApplication::palette(widget_);
        QPalette own = widget_->palette();
        rule_(own, inherited);
        // Setting an equal palette again would only come back here.
        if (own != widget_->palette())
            widget_->setPalette(own);
    }

    QWidget* widget_;
    PaletteRule rule_;
};

} // namespace

bool IsLightPalette(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() > palette.color(QPalette::WindowText).lightness();
}

void DrawInWindowColours(QTextEdit* text)
{
    new PaletteFollower(text, [](QPalette& own, const QPalette& inherited) {
        own.setColor(QPalette::Disabled, QPalette::Text, inherited.color(QPalette::Active, QPalette::WindowText));
        own.setColor(QPalette::Disabled, QPalette::Base, inherited.color(QPalette::Active, QPalette::Window));
    });
}

void ColourCaptionInLightPalette(QPushButton* button, const QColor& colour)
{
    new PaletteFollower(button, [colour](QPalette& own, const QPalette& inherited) {
        const bool light = IsLightPalette(inherited);
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            own.setColor(group, QPalette::ButtonText, light ? colour : inherited.color(group, QPalette::ButtonText));
    });
}

} // namespace vexo
