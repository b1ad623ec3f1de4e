#!/usr/bin/env bash
# Writes a synthetic survey for trying and measuring `mt1d batch`: N EDI files along a straight
# profile (sites SPACING km apart, heading east from 30° S 135° E), made from layered models
# that change smoothly from a half-space at the start to five layers at the end, with complex
# Gaussian noise of 5 % of |Z| on every impedance (seeded), and the true models beside them in
# FOLDER/true-models.json (batch/SyntheticSurvey.h says exactly how).
#
#   scripts/synthetic-survey.sh FOLDER [N [SPACING_KM [SEED]]]     (defaults: 10 sites, 1 km, seed 1)
#   scripts/synthetic-survey.sh /tmp/survey 1000 && build/cli/mt1d batch /tmp/survey --out /tmp/fits
#
# Builds the writer (mt1d_make_survey) into build/ first when it is missing.
set -euo pipefail
if [ $# -lt 1 ] || [ $# -gt 4 ]; then
  sed -n '2,11p' "$0" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
tool="$root/build/batch/mt1d_make_survey"
if [ ! -x "$tool" ]; then
  [ -f "$root/build/CMakeCache.txt" ] || cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$root/build" --target mt1d_make_survey -j"$(nproc)" >/dev/null
fi
exec "$tool" "$1" "${2:-10}" "${3:-1}" "${4:-1}"
