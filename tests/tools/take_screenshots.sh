#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the pictures in docs/ on a virtual display with a window manager
# (openbox) and a tray (trayer), and one on Wayland (weston nested in the
# virtual display):
#   take_screenshots.sh BUILD_FOLDER DOCS_FOLDER
# Needs xvfb, openbox, trayer, weston (apt-get install xvfb openbox trayer
# weston qt6-wayland); the test set-up installs them.
set -euo pipefail
build=$1
docs=$2
bin=$build/bin

# The substitute service with its demo files, so that the web pages have
# content.
account=$(mktemp -d)
"$bin/vexo-server" --folder "$account" --demo --tcp-port 0 --http-port 8080 >/dev/null 2>&1 &
service=$!
trap 'kill $service 2>/dev/null; rm -rf "$account"' EXIT

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
on_display 1280x800 "$bin/tray_screenshot" trouble "$docs/tray-trouble.png"
# Every tab side by side, and the decoder tab alone, with its option boxes.
tabs=$(mktemp -d)
on_display 1280x800 "$bin/window_screenshots" "$tabs"
cp "$tabs/window.png" "$docs/window.png"
cp "$tabs/tab1.png" "$docs/decoder-tab.png"
rm -rf "$tabs"
on_display 1280x800 "$bin/window_look_screenshot" font11 "$docs/window-11pt.png"
on_display 1280x800 "$bin/window_look_screenshot" dark "$docs/window-dark.png"
on_display 1280x800 "$bin/download_screenshot" "$docs/downloading.png"
# On Wayland: the window as weston shows it, pictured from the X display
# weston runs in.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    bin=$1 shot=$2
    bash "$(dirname "$0")/../tray/with_wayland.sh" "$bin/window_look_screenshot" show 6 &
    shown=$!
    sleep 4
    QT_QPA_PLATFORM=xcb "$bin/window_look_screenshot" screen "$shot"
    status=$?
    wait $shown
    exit $status' "$0" "$bin" "$docs/window-wayland.png"
echo "pictures saved in $docs"
