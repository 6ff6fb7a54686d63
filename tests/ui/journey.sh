#!/usr/bin/env bash
# journey.sh TEST: runs the journey test on a display of its own, as a
# desktop user has it: Xvfb, the openbox window manager and the trayer
# notification area.
set -euo pipefail
test=$1
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -euo pipefail -c '
  openbox >/dev/null 2>&1 &
  trayer --edge top --align right --widthtype request --height 32 --SetDockType true \
    --transparent false --expand false >/dev/null 2>&1 &
  status=0
  QT_QPA_PLATFORM=xcb "$0" || status=$?
  kill %1 %2 2>/dev/null || true
  exit $status' "$test"
