#!/usr/bin/env bash
# Installs every package the builds and tests need (Debian, run as root).
set -euo pipefail
packages=(
  cmake g++ make pkg-config googletest libgtest-dev libbenchmark-dev zlib1g-dev clang libclang-rt-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 libz-mingw-w64-dev
  wine wine64 xvfb xauth x11-utils imagemagick fonts-wqy-microhei python3 locales
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
# Wine takes its locale from LANG/LC_ALL; the end-to-end tests run under these.
if command -v locale-gen >/dev/null && [ -f /etc/locale.gen ]; then
  need=0
  for l in en_US.UTF-8 zh_CN.UTF-8 ru_RU.UTF-8 ja_JP.UTF-8; do
    locale -a 2>/dev/null | grep -qi "^${l%%.*}\.utf-\?8$" || need=1
  done
  if ((need)); then
    for l in en_US.UTF-8 zh_CN.UTF-8 ru_RU.UTF-8 ja_JP.UTF-8; do
      sed -i "s/^# *\(${l} UTF-8\)/\1/" /etc/locale.gen
      grep -q "^${l} UTF-8" /etc/locale.gen || echo "${l} UTF-8" >> /etc/locale.gen
    done
    locale-gen >/dev/null
  fi
fi
