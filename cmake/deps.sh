#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, skipping those already installed.
set -euo pipefail
PKGS=(build-essential cmake ninja-build pkg-config ccache
      qt6-base-dev libgl-dev libjpeg-dev fonts-ipafont-gothic libreoffice-draw poppler-utils
      libgtest-dev libgmock-dev libbenchmark-dev libzxing-dev libqrencode-dev
      xvfb xauth xdotool xclip python3-xlib qt6-translations-l10n desktop-file-utils man-db dpkg-dev file
      clang-14 libclang-rt-14-dev)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
  $SUDO apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi
