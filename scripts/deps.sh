#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and generates the Unix locales the
# tests run in, when any is missing. "scripts/deps.sh bench" adds what only make bench needs.
set -euo pipefail
packages=(
    cmake make g++ zlib1g-dev googletest
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
    libz-mingw-w64-dev
    wine wine64 xvfb xauth imagemagick
    locales
    # the archive reader's fuzzer: clang with libFuzzer and the sanitizer runtimes
    clang libclang-rt-14-dev
    # make sign and its round-trip test
    osslsigncode openssl
)
# The benchmark's other contender, an NSIS installer of the same files.
[ "${1:-}" = bench ] && packages+=(nsis)
# Wine takes the system language from the Unix locale, and it can name files outside ASCII only
# when that locale's charset is UTF-8; a locale that does not exist falls back to C (ASCII). The
# tests run in these (cmake/Windows.cmake, cmake/E2EWindows.cmake); Debian generates none of them.
locales=(en_US de_AT de_CH de_DE fr_FR ca_ES es_MX pt_PT)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
export DEBIAN_FRONTEND=noninteractive

# One query for all of them: make runs this before every build.
# dpkg-query fails for a package it has never heard of, which is every package on a fresh machine.
installed=$( (dpkg-query -W -f='${Package} ${Status}\n' "${packages[@]}" 2>/dev/null || true) | sed -n 's/ install ok installed$//p' | sed 's/:.*//')
missing=()
for p in "${packages[@]}"; do
    grep -qx "$p" <<<"$installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "deps: installing ${missing[*]}"
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq "${missing[@]}"
fi

# locale -a spells them "en_US.utf8".
available=$(locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]')
missing_locales=()
for l in "${locales[@]}"; do
    grep -qx "$(echo "$l.utf8" | tr '[:upper:]' '[:lower:]')" <<<"$available" || missing_locales+=("$l")
done
[ ${#missing_locales[@]} -eq 0 ] && exit 0
echo "deps: generating the locales ${missing_locales[*]/%/.UTF-8}"
# Listed in /etc/locale.gen, so that a later locale-gen keeps them.
for l in "${missing_locales[@]}"; do
    if grep -q "^# *$l\.UTF-8 UTF-8\$" /etc/locale.gen; then
        $SUDO sed -i "s/^# *\($l\.UTF-8 UTF-8\)\$/\1/" /etc/locale.gen
    elif ! grep -q "^$l\.UTF-8 UTF-8\$" /etc/locale.gen; then
        echo "$l.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
done
$SUDO locale-gen >/dev/null
