// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/first_show_layout.h"

#include <QEvent>
#include <QLayout>
#include <QWidget>

#include <memory>

namespace vexo {

namespace {

class FirstShowLayout : public QObject {
public:
    FirstShowLayout(QWidget* page, QLayout* layout) : QObject(page), layout_(layout) { page->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && layout_) {
            auto* page = static_cast<QWidget*>(watched);
            page->removeEventFilter(this);
            page->setLayout(layout_.release());
            // Placed before the page is first painted.
            page->layout()->activate();
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Owned until the page takes it; a page never shown deletes it with this.
    std::unique_ptr<QLayout> layout_;
};

} // namespace

void LayOutWhenFirstShown(QWidget* page, QLayout* layout)
{
    new FirstShowLayout(page, layout);
}

} // namespace vexo
