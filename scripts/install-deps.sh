#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Orrimar need.
# Quiet and quick when everything is already there.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtest-dev libbenchmark-dev
  qt6-base-dev qt6-charts-dev libcanberra-dev libasound2-dev libqt6opengl6-dev
  xvfb xauth fonts-dejavu-core
  desktop-file-utils appstream dpkg-dev locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# A locale with a decimal comma, for the tests that check number texts do not follow it.
comma_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' || localedef -i de_DE -f UTF-8 de_DE.UTF-8 2>/dev/null || true
}
if [ ${#missing[@]} -eq 0 ]; then
  comma_locale
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
comma_locale
