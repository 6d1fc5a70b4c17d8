#include "app/qt_window_ops.h"

#include "app/main_window_controls.h"
#include "app/server_grid.h"
#include "app/status_bar.h"
#include "app/window_timer.h"
#include "app/xdg_open.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QUrl>

#include <limits>
#include <stdexcept>

namespace vexo {

namespace {

// One frame of a 60 Hz screen.
constexpr int kFrameMs = 16;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string S(const QString& text)
{
    return text.toStdString();
}

// "Description|*.a;*.b|All Files|*.*" as the file dialog's name filters.
QString DialogFilter(const std::string& filter)
{
    const QStringList parts = Q(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << parts[i] + QLatin1String(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters.join(QLatin1String(";;"));
}

} // namespace

QtWindowOps::QtWindowOps(QMainWindow& window, MainWindowControls& controls) : window_(window), c_(controls)
{
    bars_[Control::ProgressBar1] = {};
    bars_[Control::ProgressBar2] = {};
    bars_[Control::ProgressBar3] = {};
    barFrame_.setSingleShot(true);
    barFrame_.setInterval(kFrameMs);
    QObject::connect(&barFrame_, &QTimer::timeout, &window_, [this] {
        for (const auto& [control, value] : bars_)
            showBar(control);
    });
}

QObject* QtWindowOps::object(Control control) const
{
    switch (control) {
    case Control::Button2: return c_.Button2;
    case Control::Add: return c_.Add;
    case Control::Delet: return c_.Delet;
    case Control::Delone: return c_.Delone;
    case Control::Proced: return c_.Proced;
    case Control::Button1: return c_.Button1;
    case Control::Button8: return c_.Button8;
    case Control::AutoJoin: return c_.AutoJoin;
    case Control::AutoDelete: return c_.AutoDelete;
    case Control::Autoopen: return c_.Autoopen;
    case Control::TFolder: return c_.TFolder;
    case Control::List: return c_.List;
    case Control::ProgressBar1: return c_.ProgressBar1;
    case Control::ProgressBar2: return c_.ProgressBar2;
    case Control::GetList: return c_.GetList;
    case Control::Settings: return c_.Settings;
    case Control::AutoO: return c_.AutoO;
    case Control::Aosec: return c_.aosec;
    case Control::Filenamedown: return c_.filenamedown;
    case Control::Statusdown: return c_.Statusdown;
    case Control::ProgressBar3: return c_.ProgressBar3;
    case Control::TabSheet4: return c_.TabSheet4;
    case Control::Urlstr: return c_.Urlstr;
    case Control::Delete1: return c_.Delete1;
    case Control::Realnam: return c_.realnam;
    case Control::Sizef: return c_.Sizef;
    case Control::Key: return c_.Key;
    case Control::N4: return c_.N4;
    }
    throw std::logic_error("unknown control");
}

QProgressBar* QtWindowOps::bar(Control control) const
{
    auto* progressBar = qobject_cast<QProgressBar*>(object(control));
    if (!progressBar)
        throw std::logic_error(std::string(ControlName(control)) + " is not a progress bar");
    return progressBar;
}

WindowTimer* QtWindowOps::timer(Timer timer) const
{
    switch (timer) {
    case Timer::Timer: return c_.Timer;
    case Timer::Timer1: return c_.Timer1;
    case Timer::Bigtimer: return c_.Bigtimer;
    }
    throw std::logic_error("unknown timer");
}

void QtWindowOps::setCaption(const std::string& caption)
{
    window_.setWindowTitle(Q(caption));
}

std::string QtWindowOps::caption() const
{
    return S(window_.windowTitle());
}

void QtWindowOps::setWindowSize(int width, int height)
{
    window_.resize(width, height);
}

int QtWindowOps::windowWidth() const
{
    return window_.width();
}

int QtWindowOps::windowHeight() const
{
    return window_.height();
}

void QtWindowOps::closeWindow()
{
    window_.close();
}

void QtWindowOps::showTab(int index)
{
    c_.Tabs->setCurrentIndex(index);
}

void QtWindowOps::setEnabled(Control control, bool enabled)
{
    QObject* target = object(control);
    if (auto* action = qobject_cast<QAction*>(target))
        action->setEnabled(enabled);
    else
        static_cast<QWidget*>(target)->setEnabled(enabled);
}

bool QtWindowOps::isEnabled(Control control) const
{
    QObject* target = object(control);
    if (auto* action = qobject_cast<QAction*>(target))
        return action->isEnabled();
    return static_cast<QWidget*>(target)->isEnabled();
}

void QtWindowOps::setVisible(Control control, bool visible)
{
    QObject* target = object(control);
    if (control == Control::TabSheet4)
        c_.Tabs->setTabVisible(c_.Tabs->indexOf(c_.TabSheet4), visible);
    else if (auto* action = qobject_cast<QAction*>(target))
        action->setVisible(visible);
    else
        static_cast<QWidget*>(target)->setVisible(visible);
}

bool QtWindowOps::isVisible(Control control) const
{
    QObject* target = object(control);
    if (control == Control::TabSheet4)
        return c_.Tabs->isTabVisible(c_.Tabs->indexOf(c_.TabSheet4));
    if (auto* action = qobject_cast<QAction*>(target))
        return action->isVisible();
    return !static_cast<QWidget*>(target)->isHidden();
}

void QtWindowOps::setFocus(Control control)
{
    if (auto* widget = qobject_cast<QWidget*>(object(control)))
        widget->setFocus(Qt::OtherFocusReason);
}

bool QtWindowOps::isChecked(Control control) const
{
    QObject* target = object(control);
    if (auto* action = qobject_cast<QAction*>(target))
        return action->isChecked();
    return qobject_cast<QCheckBox*>(target)->isChecked();
}

void QtWindowOps::setChecked(Control control, bool checked)
{
    // A change emits `toggled`, which runs the control's handler.
    QObject* target = object(control);
    if (auto* action = qobject_cast<QAction*>(target))
        action->setChecked(checked);
    else
        qobject_cast<QCheckBox*>(target)->setChecked(checked);
}

std::string QtWindowOps::text(Control control) const
{
    QObject* target = object(control);
    if (auto* edit = qobject_cast<QLineEdit*>(target))
        return S(edit->text());
    if (auto* label = qobject_cast<QLabel*>(target))
        return S(label->text());
    if (auto* action = qobject_cast<QAction*>(target))
        return S(action->text());
    throw std::logic_error(std::string(ControlName(control)) + " has no text");
}

void QtWindowOps::setText(Control control, const std::string& text)
{
    QObject* target = object(control);
    const QString value = Q(text);
    if (auto* edit = qobject_cast<QLineEdit*>(target)) {
        // Only a different text runs the box's change handler.
        if (edit->text() != value)
            edit->setText(value);
    } else if (auto* label = qobject_cast<QLabel*>(target)) {
        label->setText(value);
    } else if (auto* action = qobject_cast<QAction*>(target)) {
        action->setText(value);
    } else {
        throw std::logic_error(std::string(ControlName(control)) + " has no text");
    }
}

void QtWindowOps::setAlertBackground(Control control, bool alert)
{
    auto* widget = static_cast<QWidget*>(object(control));
    QPalette palette = widget->palette();
    // The normal background of the folder box is the menu bar's colour.
    palette.setColor(QPalette::Base, alert ? QColor(255, 0, 0) : QApplication::palette("QMenuBar").color(QPalette::Window));
    widget->setPalette(palette);
}

int QtWindowOps::lineCount() const
{
    return c_.List->count();
}

std::string QtWindowOps::line(int index) const
{
    const QListWidgetItem* item = c_.List->item(index);
    if (!item)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return S(item->text());
}

void QtWindowOps::appendLine(const std::string& text)
{
    c_.List->addItem(Q(text));
}

void QtWindowOps::setLine(int index, const std::string& text)
{
    QListWidgetItem* item = c_.List->item(index);
    if (!item)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    item->setText(Q(text));
}

void QtWindowOps::deleteLine(int index)
{
    delete c_.List->takeItem(index);
}

void QtWindowOps::clearLines()
{
    c_.List->clear();
}

void QtWindowOps::selectLine(int index)
{
    QListWidgetItem* item = c_.List->item(index);
    if (!item) {
        c_.List->clearSelection();
        return;
    }
    c_.List->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    c_.List->scrollToItem(item);
}

int QtWindowOps::selectedLine() const
{
    const QList<QListWidgetItem*> selected = c_.List->selectedItems();
    return selected.isEmpty() ? -1 : c_.List->row(selected.front());
}

void QtWindowOps::showBar(Control control)
{
    // QProgressBar counts in int; long byte counts are shown to scale.
    const BarValue& value = bars_[control];
    constexpr std::int64_t kLimit = std::numeric_limits<int>::max();
    const std::int64_t maximum = value.maximum < 0 ? 0 : value.maximum;
    const std::int64_t position = value.position < 0 ? 0 : std::min(value.position, maximum);
    const bool scaled = maximum > kLimit;
    const int range = scaled ? 1000000 : static_cast<int>(maximum);
    const int shown = scaled ? static_cast<int>(static_cast<double>(position) / static_cast<double>(maximum) * range)
                             : static_cast<int>(position);
    QProgressBar* progressBar = bar(control);
    if (progressBar->maximum() == range && progressBar->value() == shown)
        return;
    // Drawn with the rest of the window, not at once as QProgressBar would.
    progressBar->setUpdatesEnabled(false);
    if (progressBar->maximum() != range || progressBar->minimum() != 0)
        progressBar->setRange(0, range);
    progressBar->setValue(shown);
    progressBar->setUpdatesEnabled(true);
}

void QtWindowOps::showBarsSoon()
{
    // Long work moves the bars thousands of times a second; they take their
    // latest values at most once a frame, which is all a screen can show.
    if (!barFrame_.isActive())
        barFrame_.start();
}

void QtWindowOps::setProgress(Control control, std::int64_t position)
{
    bar(control);
    bars_[control].position = position;
    showBarsSoon();
}

void QtWindowOps::setProgressMax(Control control, std::int64_t maximum)
{
    bar(control);
    bars_[control].maximum = maximum;
    showBarsSoon();
}

std::int64_t QtWindowOps::progress(Control control) const
{
    return bars_.at(control).position;
}

void QtWindowOps::setStatusText(int panel, const std::string& text)
{
    c_.StatusB->setPanelText(panel, Q(text));
}

std::string QtWindowOps::statusText(int panel) const
{
    return S(c_.StatusB->panelText(panel));
}

void QtWindowOps::repaintStatus()
{
    // Painting faster than a screen refreshes shows nothing more: within a
    // frame of the last repaint, the text waits for the next pump or repaint.
    if (statusPainted_.isValid() && statusPainted_.elapsed() < kFrameMs) {
        c_.StatusB->update();
        return;
    }
    c_.StatusB->repaint();
    statusPainted_.start();
}

int QtWindowOps::gridRowCount() const
{
    return c_.filesl->rowCount();
}

void QtWindowOps::setGridRowCount(int rows)
{
    c_.filesl->setRowTotal(rows);
}

void QtWindowOps::setGridCell(int column, int row, const std::string& text)
{
    c_.filesl->setCellText(column, row, Q(text));
}

std::string QtWindowOps::gridCell(int column, int row) const
{
    return S(c_.filesl->cellText(column, row));
}

void QtWindowOps::setGridFixedRows(int rows)
{
    if (rows >= c_.filesl->rowCount())
        throw std::logic_error("a grid needs a row below its fixed rows");
    c_.filesl->setFixedRowCount(rows);
}

int QtWindowOps::gridFixedRows() const
{
    return c_.filesl->fixedRowCount();
}

void QtWindowOps::setTimerActive(Timer which, bool active)
{
    timer(which)->setActive(active);
}

bool QtWindowOps::isTimerActive(Timer which) const
{
    return timer(which)->isActive();
}

void QtWindowOps::setTimerInterval(Timer which, std::uint32_t milliseconds)
{
    timer(which)->setInterval(milliseconds);
}

std::uint32_t QtWindowOps::timerInterval(Timer which) const
{
    return timer(which)->interval();
}

void QtWindowOps::setTrayHint(const std::string& hint)
{
    c_.Tray->setToolTip(Q(hint));
}

void QtWindowOps::showMessage(MessageKind kind, const std::string& text)
{
    const bool warning = kind == MessageKind::Warning;
    // While the settings dialog keeps the main window disabled, a box owned
    // by it would be disabled too and could not be closed.
    QMessageBox box(warning ? QMessageBox::Warning : QMessageBox::Information,
                    warning ? QStringLiteral("Warning") : QStringLiteral("Information"), Q(text), QMessageBox::Ok,
                    window_.isEnabled() ? &window_ : nullptr);
    box.exec();
}

std::vector<std::string> QtWindowOps::pickFiles(const std::string& startFolder, const std::string& filter)
{
    const QStringList chosen = QFileDialog::getOpenFileNames(&window_, QString(), Q(startFolder), DialogFilter(filter));
    std::vector<std::string> paths;
    for (const QString& path : chosen)
        paths.push_back(S(path));
    return paths;
}

std::optional<std::string> QtWindowOps::pickFolder(const std::string& title, const std::string& preselected)
{
    const QString chosen = QFileDialog::getExistingDirectory(&window_, Q(title), Q(preselected));
    if (chosen.isEmpty())
        return std::nullopt;
    return S(chosen);
}

void QtWindowOps::shellOpen(const std::string& target)
{
    const QString text = Q(target);
    const bool webAddress = text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
                            text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    // A web address goes to the browser byte for byte; QUrl would re-encode it.
    if (webAddress && XdgOpen(target))
        return;
    QDesktopServices::openUrl(webAddress ? QUrl(text) : QUrl::fromLocalFile(text));
}

void QtWindowOps::navigateHiddenView(const std::string& url)
{
    if (!hiddenNavigator)
        throw std::runtime_error("The hidden web view is not available");
    hiddenNavigator(url);
}

void QtWindowOps::pump()
{
    QCoreApplication::processEvents();
}

} // namespace vexo
