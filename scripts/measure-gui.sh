#!/usr/bin/env bash
# Times the window: cold start (process launch to the first painted window) and the forward
# and inversion commands pressed through the window. Uses Xvfb when there is no display.
# Targets: first window within 500 ms, each command within 20 ms. With the real soundings
# beside the source tree (../shared/data), also the sounding window on the Cull (1985) sounding
# and an EDI file: opening to painted plots within 100 ms, a smooth fit from the click to the
# updated plots within 100 ms, one drag step (forward model and repaint) within 16 ms.
set -euo pipefail
cd "$(dirname "$0")/.."
gui=build/app/mt1d-gui
[ -x "$gui" ] || { echo "build $gui first (scripts/build.sh)" >&2; exit 1; }
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
fi
run() {
  if [ -n "${DISPLAY:-}" ]; then "$@"; else xvfb-run -a -s "-screen 0 1280x800x24" "$@"; fi
}
# Xvfb itself takes a while to start: launch time is taken inside the server's session.
run bash -c '
  launched=$(date +%s%3N)
  out=$("$0" --measure 2>/dev/null)
  painted=$(sed -n "s/^first paint epoch: \([0-9]*\) ms$/\1/p" <<<"$out")
  echo "cold start, launch to first painted window: $((painted - launched)) ms"
  grep -v "^first paint epoch" <<<"$out"
' "$gui"
data=../shared/data
if [ -d "$data" ]; then
  echo "sounding window, Cull (1985), 23 periods:"
  run "$gui" --measure --columns period,log10rho,log10rho_err,phase,phase_err \
    "$data/cull1985-occam1987/aushield.dat" 2>/dev/null | sed -n "/^open sounding/,\$p" | sed "s/^/  /"
  echo "sounding window, IAJ34.edi:"
  run "$gui" --measure "$data/edi/IAJ34.edi" 2>/dev/null | sed -n "/^open sounding/,\$p" | sed "s/^/  /"
fi
poster=build/app/mt1d-posterior
if [ -d "$data" ] && [ -x "$poster" ]; then
  # The uncertainty tab: click to first progress, and a default run (10^6 samples) to the
  # painted result, on a Geoscience Australia sounding.
  run "$poster" measure "$data/ga-amt-rjmcmcmt/07E1_AMT.edi" 2>/dev/null | sed "s/^/  /"
fi
