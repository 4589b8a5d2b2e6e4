#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, but only those missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-svg-dev qt6-tools-dev qt6-documentation-tools qt6-translations-l10n libqt6sql6-sqlite libemf2svg-dev emf2svg netpbm fonts-dejavu-core
  xvfb xdotool imagemagick dbus-daemon libglib2.0-bin poppler-utils
  nlohmann-json3-dev libgtest-dev libbenchmark-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
