// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/shell_bindings.h"

#include "app/main_window_controls.h"
#include "app/window_context.h"
#include "base/handler_boundary.h"
#include "base/session.h"
#include "decoder/working_folder.h"
#include "window_handlers/option_boxes.h"
#include "window_handlers/views.h"
#include "window_handlers/window_events.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>

namespace vexo {

ShellBindings::ShellBindings(WindowContext& context) : QObject(context.controls.window), context_(context)
{
    MainWindowControls& c = context.controls;
    HandlerBoundary& boundary = context.boundary;

    connect(c.folderBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        context_.boundary.run([&] { SetWorkingFolder(context_.session, context_.views.decoder, text.toStdString()); });
    });
    const std::pair<QCheckBox*, DecoderOption> optionBoxes[] = {
        {c.joinAtOnceBox, DecoderOption::JoinAtOnce},
        {c.deleteAfterDecodingBox, DecoderOption::DeleteAfterDecoding},
        {c.openFolderAfterBox, DecoderOption::OpenFolderAfter},
        {c.decodeArrivalsBox, DecoderOption::DecodeArrivals},
    };
    for (const auto& [box, option] : optionBoxes) {
        connect(box, &QCheckBox::toggled, this, [this, option = option](bool on) {
            context_.boundary.run([&] {
                SetDecoderOption(context_.decoderOptions, context_.session.settings(), context_.views.decoder, option,
                                 on);
            });
        });
    }
    connect(c.fileProgressBar, &QWidget::customContextMenuRequested, this,
            boundary.guard([this] { RevealUrlTabOnTenthClick(hiddenTabClicks_, context_.views.window); }));
    connect(c.chooseFolderButton, &QPushButton::clicked, this, boundary.guard([this] {
        ChooseWorkingFolder(context_.session, context_.views.decoder, context_.views.dialogs);
    }));
    connect(c.openFolderButton, &QPushButton::clicked, this,
            boundary.guard([this] { OpenWorkingFolder(context_.session.workingFolder(), context_.views.dialogs); }));
    connect(c.tabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (context_.controls.tabs->widget(index) == context_.controls.decoderTab)
            decoderTabShown();
    });
    bindEnterToDefaultButton();
}

void ShellBindings::decoderTabShown()
{
    context_.boundary.run([this] { DecoderTabShown(context_.views.decoder); });
}

void ShellBindings::bindEnterToDefaultButton()
{
    // Enter presses the focused button, or else the default button "Добавить всё".
    MainWindowControls& c = context_.controls;
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, c.decoderTab, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, [this] {
            const MainWindowControls& c = context_.controls;
            auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
            QPushButton* target = focused && c.decoderTab->isAncestorOf(focused) ? focused : c.addAllButton;
            if (target->isEnabled())
                target->click();
        });
    }
}

} // namespace vexo
