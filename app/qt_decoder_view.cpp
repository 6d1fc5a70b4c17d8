// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt_decoder_view.h"

#include "app/framed_bars.h"
#include "app/main_window_controls.h"
#include "app/qt_text.h"
#include "app/status_bar.h"
#include "decoder/decoder_options.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <stdexcept>

namespace vexo {

namespace {

void SetChecked(QCheckBox* box, bool checked)
{
    const QSignalBlocker quiet(box);
    box->setChecked(checked);
}

} // namespace

QWidget* QtDecoderView::widget(DecoderControl control) const
{
    switch (control) {
    case DecoderControl::AddAll: return c_.addAllButton;
    case DecoderControl::AddPicked: return c_.addPickedButton;
    case DecoderControl::ClearQueue: return c_.clearQueueButton;
    case DecoderControl::RemoveEntry: return c_.removeEntryButton;
    case DecoderControl::Decode: return c_.decodeButton;
    case DecoderControl::JoinParts: return c_.joinPartsButton;
    case DecoderControl::OpenFolder: return c_.openFolderButton;
    case DecoderControl::FolderBox: return c_.folderBox;
    case DecoderControl::QueueList: return c_.queueList;
    }
    throw std::logic_error("unknown decoder control");
}

void QtDecoderView::setEnabled(DecoderControl control, bool enabled)
{
    widget(control)->setEnabled(enabled);
}

void QtDecoderView::focus(DecoderControl control)
{
    widget(control)->setFocus(Qt::OtherFocusReason);
}

void QtDecoderView::showOptions(const DecoderOptions& options)
{
    SetChecked(c_.joinAtOnceBox, options.joinAtOnce);
    SetChecked(c_.deleteAfterDecodingBox, options.deleteAfterDecoding);
    SetChecked(c_.openFolderAfterBox, options.openFolderAfter);
    SetChecked(c_.decodeArrivalsBox, options.decodeArrivals);
}

void QtDecoderView::showWorkingFolder(const std::string& folder, bool missing)
{
    const QString text = Q(folder);
    if (c_.folderBox->text() != text) {
        const QSignalBlocker quiet(c_.folderBox);
        c_.folderBox->setText(text);
    }
    QPalette palette = c_.folderBox->palette();
    // The normal background of the folder box is the menu bar's colour.
    palette.setColor(QPalette::Base,
                     missing ? QColor(255, 0, 0) : QApplication::palette("QMenuBar").color(QPalette::Window));
    c_.folderBox->setPalette(palette);
}

namespace {

QListWidgetItem* ExistingItem(QListWidget* list, int index)
{
    QListWidgetItem* item = list->item(index);
    if (!item)
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return item;
}

} // namespace

void QtDecoderView::lineAppended(const std::string& text)
{
    const QSignalBlocker quiet(c_.queueList);
    c_.queueList->addItem(Q(text));
}

void QtDecoderView::lineChanged(int index, const std::string& text)
{
    ExistingItem(c_.queueList, index)->setText(Q(text));
}

void QtDecoderView::lineRemoved(int index)
{
    const bool wasSelected = ExistingItem(c_.queueList, index)->isSelected();
    const QSignalBlocker quiet(c_.queueList);
    delete c_.queueList->takeItem(index);
    // The list would select the line that moves up; a removed selection
    // leaves none, as the program's own list does.
    if (wasSelected)
        c_.queueList->clearSelection();
}

void QtDecoderView::linesCleared()
{
    const QSignalBlocker quiet(c_.queueList);
    c_.queueList->clear();
}

void QtDecoderView::lineSelected(int index)
{
    const QSignalBlocker quiet(c_.queueList);
    QListWidgetItem* item = c_.queueList->item(index);
    if (!item) {
        c_.queueList->clearSelection();
        return;
    }
    c_.queueList->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
    c_.queueList->scrollToItem(item);
}

void QtDecoderView::describeEntry(const std::optional<EntryDetails>& details)
{
    c_.removeEntryItem->setEnabled(details.has_value());
    for (QAction* item : {c_.realNameItem, c_.sizeItem, c_.keyItem})
        item->setVisible(details.has_value());
    if (!details)
        return;
    c_.keyItem->setText(Q(details->key));
    c_.sizeItem->setText(Q(details->size));
    c_.realNameItem->setText(Q(details->realName));
}

void QtDecoderView::showRunProgress(std::int64_t percent)
{
    bars_.setPosition(c_.runProgressBar, percent);
}

void QtDecoderView::showFileProgress(std::int64_t percent)
{
    bars_.setPosition(c_.fileProgressBar, percent);
}

void QtDecoderView::showStatus(const std::string& text)
{
    c_.statusBar->setPanelText(0, Q(text));
}

void QtDecoderView::repaintStatusNow()
{
    c_.statusBar->repaintNow();
}

} // namespace vexo
