#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Corvallen needs.
# Idempotent: packages already present are left alone.
set -euo pipefail

PACKAGES=(
  # toolchain
  g++ cmake ninja-build pkg-config
  # Qt 6
  qt6-base-dev qt6-base-dev-tools qt6-l10n-tools qt6-svg-dev qt6-qpa-plugins libgl-dev
  # TIFF, WebP and other image formats of documents and captures
  qt6-image-formats-plugins
  # storage, archives, PDF, text recognition, Unicode
  libsqlite3-dev libzip-dev zlib1g-dev libpoppler-qt6-dev
  libtesseract-dev tesseract-ocr tesseract-ocr-eng libicu-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth zip unzip poppler-utils sqlite3 dbus-daemon
  # fonts the drawn instrument screens of the analysis tests and benchmark use
  fonts-dejavu-core fonts-dejavu-extra fonts-liberation2 fonts-freefont-ttf fonts-dseg fonts-urw-base35 fonts-noto-mono
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
