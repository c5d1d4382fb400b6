#!/usr/bin/env bash
# Installs everything the build and the tests need. Idempotent: returns quickly when all is present.
set -euo pipefail

need_sudo() { if [ "$(id -u)" -ne 0 ]; then echo sudo; fi; }
SUDO=$(need_sudo)

packages=(
    cmake ninja-build g++ clang clang-format
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    wine wine32:i386 wine64
    xvfb xdotool imagemagick x11-utils fonts-wqy-zenhei locales
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    libpugixml-dev libtinyxml2-dev
    libcli11-dev nlohmann-json3-dev libssl-dev e2fsprogs
    python3-jsonschema ansible
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    echo "setup: generating the zh_CN.UTF-8 locale"
    $SUDO localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
