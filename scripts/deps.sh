#!/usr/bin/env bash
# Installs what building, running and testing need on a fresh Debian 12.
set -euo pipefail
pkgs=(build-essential cmake ninja-build qt6-base-dev libgtest-dev libgmock-dev
      clang libclang-rt-14-dev clang-format-14 clang-tidy-14 git python3 python3-dbfread python3-dbf gdal-bin
      libjpeg-dev fonts-wqy-zenhei xvfb xauth qt6-qpa-plugins arj poppler-utils qt6-translations-l10n
      pkg-config libzip-dev libpugixml-dev libreoffice-writer-nogui
      fonts-arphic-uming fonts-arphic-ukai libcups2-dev cups printer-driver-cups-pdf)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
