#!/usr/bin/env bash
# Installs the Debian packages that mt1d needs to build, test and run, and only those missing.
# Idempotent: when everything is present it asks dpkg and returns in well under a second.
set -euo pipefail

PACKAGES=(
  g++ cmake make pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libxkbcommon-dev qt6-tools-dev qt6-l10n-tools
  libqcustomplot-dev qt6-svg-dev
  libeigen3-dev nlohmann-json3-dev libcli11-dev libhwy-dev libpugixml-dev
  pybind11-dev python3-pybind11 python3-numpy python3-dask python3-distributed python3-pytest
  clang libclang-rt-14-dev locales
  fonts-wqy-microhei xvfb xauth
  poppler-utils  # pdftotext: the report tests read the PDF text back
)

# A locale with a decimal comma, so that the number-text tests check the decimal point
# against one (localedef comes with libc-bin, the locale's source with locales).
ensure_comma_locale() {
  if locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then return 0; fi
  [ -e /usr/share/i18n/locales/de_DE ] || return 0
  echo "setup: generating the de_DE.UTF-8 locale" >&2
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  "${sudo[@]}" localedef -i de_DE -c -f UTF-8 de_DE.UTF-8
}

missing=()
for p in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  ensure_comma_locale
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  SUDO=(sudo)
fi
APT_OPTS=(-o DPkg::Lock::Timeout=300)
"${SUDO[@]}" apt-get "${APT_OPTS[@]}" update
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${APT_OPTS[@]}" install -y \
  --no-install-recommends "${missing[@]}"
ensure_comma_locale
