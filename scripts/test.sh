#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen
export QTEST_FUNCTION_TIMEOUT=30000
export QTEST_DISABLE_STACK_DUMP=1
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
fi
ctest --test-dir build --output-on-failure -j"$(nproc)"
