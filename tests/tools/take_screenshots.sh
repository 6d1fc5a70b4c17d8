#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the pictures in docs/ on a virtual display with a window manager
# (openbox) and a tray (trayer):
#   take_screenshots.sh BUILD_FOLDER DOCS_FOLDER
# Needs xvfb, openbox, trayer (apt-get install xvfb openbox trayer).
set -euo pipefail
build=$1
docs=$2
bin=$build/bin

# One display per picture: the scale and the screen size go with it.
on_display() {
    local screen=$1
    shift
    xvfb-run -a -s "-screen 0 ${screen}x24" bash -c 'openbox & wm=$!; sleep 1; "$@"; status=$?; kill $wm; exit $status' \
        bash "$@"
}

on_display 1280x800 "$bin/settings_dialog_screenshot" "$docs/settings-dialog.png"
on_display 2560x1600 env QT_SCALE_FACTOR=2 "$bin/settings_dialog_screenshot" "$docs/settings-dialog-2x.png"
on_display 1280x800 "$bin/tray_screenshot" notice "$docs/tray-notice.png"
on_display 1280x800 "$bin/tray_screenshot" menu "$docs/tray-menu.png"
echo "pictures saved in $docs"
