#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only when one is missing, and
# the packages named as arguments (a check that only some runs need, such as lintian).
# libqt6network6 carries update's TLS plugin and openssl makes the tests' own certificate;
# libssl-dev gives update its SHA-256 (libcrypto);
# help2man makes the manual pages; desktop-file-utils checks the desktop entry; the MinGW-w64
# compiler builds for Windows, Wine runs what it builds and NSIS makes the Windows installer;
# the installer's test finds the installed window with xwininfo (x11-utils) and takes its picture
# with ImageMagick's import; acl gives the tests setfacl and getfacl. The font packages that
# ImageMagick, tesseract-ocr and Wine recommend are installed too, so that the windows' texts are
# checked to fit with the fonts such a machine has (they change the fonts Qt and Wine pick).
set -euo pipefail
packages=(cmake ninja-build g++ make qt6-base-dev qt6-base-dev-tools libqt6test6 libqt6network6 openssl libssl-dev libgl-dev
          xvfb xauth help2man desktop-file-utils g++-mingw-w64-x86-64-posix wine wine64 nsis
          x11-utils imagemagick acl fonts-urw-base35 fonts-droid-fallback fonts-noto-mono
          fonts-dejavu-extra fonts-wine "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
