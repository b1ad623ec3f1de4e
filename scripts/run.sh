#!/usr/bin/env bash
# Installs what is missing, builds, and starts mt1d.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -x build/app/mt1d-gui ]; then
  exec build/app/mt1d-gui "$@"
fi
exec build/cli/mt1d forward "$@"
