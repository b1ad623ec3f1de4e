#!/usr/bin/env bash
# Installs what is missing, builds the two programs (not the tests and benchmarks) and starts
# mt1d. Without a display the window cannot open: the command-line tool then prints the
# default model's response instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target mt1d-gui mt1d
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] || [ -n "${QT_QPA_PLATFORM:-}" ]; then
  exec build/app/mt1d-gui "$@"
fi
echo "run: no display for the window; the default model's response from build/cli/mt1d:" >&2
exec build/cli/mt1d forward "$@"
