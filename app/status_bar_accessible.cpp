// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/status_bar_accessible.h"

#include "app/accessible_factory.h"
#include "app/status_bar.h"

#include <QAccessibleWidget>
#include <QPointer>

#include <array>

namespace vexo {

namespace {

// One panel: read-only text, found by its parent, the bar.
class PanelAccessible : public QAccessibleInterface {
public:
    PanelAccessible(StatusBar* bar, int panel) : bar_(bar), panel_(panel) {}

    bool isValid() const override { return !bar_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return bar_ ? bar_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(bar_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::StaticText; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.invisible = !bar_ || !bar_->isVisible();
        return state;
    }

    QString text(QAccessible::Text kind) const override
    {
        if (!bar_ || (kind != QAccessible::Name && kind != QAccessible::Value))
            return {};
        // Read as the bar shows it: on one line.
        QString text = bar_->panelText(panel_);
        return text.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!bar_)
            return {};
        const QRect local = bar_->panelRect(panel_);
        return {bar_->mapToGlobal(local.topLeft()), local.size()};
    }

private:
    QPointer<StatusBar> bar_;
    int panel_;
};

class StatusBarAccessible : public QAccessibleWidget {
public:
    explicit StatusBarAccessible(StatusBar* bar) : QAccessibleWidget(bar, QAccessible::StatusBar)
    {
        // Registered, the panels belong to Qt's cache like every interface;
        // they go with the bar's.
        for (int panel = 0; panel < kPanels; ++panel)
            panelIds_[panel] = QAccessible::registerAccessibleInterface(new PanelAccessible(bar, panel));
    }
    ~StatusBarAccessible() override
    {
        for (const QAccessible::Id id : panelIds_)
            QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return kPanels; }
    QAccessibleInterface* child(int index) const override
    {
        return index >= 0 && index < kPanels ? QAccessible::accessibleInterface(panelIds_[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        for (int panel = 0; panel < kPanels; ++panel) {
            if (QAccessible::accessibleInterface(panelIds_[panel]) == child)
                return panel;
        }
        return -1;
    }

private:
    static constexpr int kPanels = 2;
    std::array<QAccessible::Id, kPanels> panelIds_{};
};

} // namespace

void InstallStatusBarAccessibility()
{
    InstallAccessibleFactory<StatusBar, StatusBarAccessible>();
}

void AnnouncePanelText(StatusBar* bar, int panel)
{
    QAccessibleEvent nameChanged(bar, QAccessible::NameChanged);
    nameChanged.setChild(panel);
    QAccessible::updateAccessibility(&nameChanged);
}

} // namespace vexo
