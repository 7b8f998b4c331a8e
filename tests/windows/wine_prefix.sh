#!/usr/bin/env bash
# Creates the private Wine prefix once ($WINEPREFIX), headless, and waits until it is ready.
set -euo pipefail
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi
wineserver -w
