#!/usr/bin/env bash
# Installs what building and testing need on Debian, once. Safe to run again: it only installs
# what is missing. Needs root (or sudo) when something is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang clang-format
    libclang-rt-14-dev valgrind
    libgtest-dev googletest libbenchmark-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
    wine wine64 xvfb x11-utils imagemagick fonts-wqy-microhei locales
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" >/dev/null
fi

# 32-bit Windows programs need Wine's 32-bit half, and a kernel that runs i386 code. Where the
# kernel cannot, installing it would break Wine for 64-bit programs too.
if [ -x /lib32/ld-linux.so.2 ] && /lib32/ld-linux.so.2 --version >/dev/null 2>&1 &&
    ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    as_root dpkg --add-architecture i386
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        wine32:i386 >/dev/null
fi

# The end-to-end tests run the program under a Chinese and an English locale.
need_locales=()
for l in zh_CN.UTF-8 en_US.UTF-8; do
    locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" || need_locales+=("$l")
done
if [ ${#need_locales[@]} -gt 0 ]; then
    for l in "${need_locales[@]}"; do
        as_root sed -i "s/^# *${l} UTF-8/${l} UTF-8/" /etc/locale.gen
        grep -q "^${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    done
    as_root locale-gen >/dev/null
fi
