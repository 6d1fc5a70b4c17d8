// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tab_bar_accessible.h"

#include "app/accessible_factory.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QTabBar>

#include <map>

namespace vexo {

namespace {

// One tab of the bar: pressed, it becomes the current tab.
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(QTabBar* bar, int index) : bar_(bar), index_(index) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    bool isValid() const override { return bar_ && index_ < bar_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state = parent()->state();
        state.focused = index_ == bar_->currentIndex();
        state.invisible = state.invisible || !bar_->isTabVisible(index_);
        state.disabled = state.disabled || !bar_->isTabEnabled(index_);
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (!isValid())
            return {};
        switch (kind) {
        case QAccessible::Name: {
            const QString name = bar_->accessibleTabName(index_);
            return name.isEmpty() ? bar_->tabText(index_).remove(QLatin1Char('&')) : name;
        }
        case QAccessible::Description: return bar_->tabToolTip(index_);
        default: return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = bar_->tabRect(index_);
        return {bar_->mapToGlobal(local.topLeft()), local.size()};
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (isValid() && action == pressAction())
            bar_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QTabBar> bar_;
    int index_;
};

// The bar: its children are the tabs it shows, in their order.
class TabBarAccessible : public QAccessibleWidget {
public:
    explicit TabBarAccessible(QTabBar* bar) : QAccessibleWidget(bar, QAccessible::PageTabList) {}
    ~TabBarAccessible() override
    {
        for (const auto& [index, id] : tabIds_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override
    {
        int shown = 0;
        for (int index = 0; index < bar()->count(); ++index)
            shown += bar()->isTabVisible(index) ? 1 : 0;
        return shown;
    }

    QAccessibleInterface* child(int position) const override
    {
        for (int index = 0, shown = 0; index < bar()->count(); ++index) {
            if (!bar()->isTabVisible(index))
                continue;
            if (shown++ == position)
                return tab(index);
        }
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (int position = 0; position < childCount(); ++position) {
            if (this->child(position) == child)
                return position;
        }
        return -1;
    }

    QString text(QAccessible::Text kind) const override
    {
        // The bar reads as its current tab.
        if (kind == QAccessible::Name && bar()->currentIndex() >= 0)
            return tab(bar()->currentIndex())->text(kind);
        return QAccessibleWidget::text(kind);
    }

private:
    QTabBar* bar() const { return static_cast<QTabBar*>(widget()); }

    // Registered, the tabs belong to Qt's cache like every interface; they
    // go with the bar's.
    QAccessibleInterface* tab(int index) const
    {
        auto found = tabIds_.find(index);
        if (found == tabIds_.end())
            found =
                tabIds_.emplace(index, QAccessible::registerAccessibleInterface(new TabAccessible(bar(), index))).first;
        return QAccessible::accessibleInterface(found->second);
    }

    mutable std::map<int, QAccessible::Id> tabIds_;
};

} // namespace

void InstallTabBarAccessibility()
{
    InstallAccessibleFactory<QTabBar, TabBarAccessible>();
}

void AnnounceTabsChanged(QTabBar* bar)
{
    QAccessibleEvent reordered(bar, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reordered);
}

} // namespace vexo
