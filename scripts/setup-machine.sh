#!/usr/bin/env bash
# Installs what the build, the tests and the main job need on a Debian 12 machine (run as root).
# Quick when everything is there already: only missing packages are installed.
set -eu
packages=(
    cmake ninja-build ccache g++ clang libclang-rt-14-dev googletest libgtest-dev zlib1g-dev libdeflate-dev libz-mingw-w64-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine64 xvfb xdotool x11-utils imagemagick librsvg2-bin fonts-dejavu-core
    libunrar5 unrar rar
    libisofs-dev xorriso
    osslsigncode openssl ca-certificates
    nsis libx11-dev
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# The extractor library and the rar tools are in Debian's non-free component.
sources=/etc/apt/sources.list.d/debian.sources
if [ -f "$sources" ] && ! grep -q '^Components:.*non-free\b' "$sources"; then
    sed -i -E '/^Components:/ { /non-free( |$)/! s/$/ non-free/ }' "$sources"
elif [ -f /etc/apt/sources.list ] && ! grep -qE '^deb .* non-free( |$)' /etc/apt/sources.list; then
    sed -i -E '/^deb / { / non-free( |$)/! s/$/ non-free/ }' /etc/apt/sources.list
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
