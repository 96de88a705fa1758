#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 and creates the
# private Wine prefix under build/. Safe to run again: each step checks first.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=${ZENTRIX_BUILD:-$top/build}

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "setup: installing packages needs root (run as root or with sudo)" >&2
    exit 1
  fi
}

# Packages checked by dpkg status so a second run never touches apt.
packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-i686-dev cmake make wine wine32:i386 wine64 xvfb xauth xdotool
  imagemagick googletest nlohmann-json3-dev python3 clang-format fonts-wine
  locales fonts-wqy-microhei x11-utils xserver-xephyr
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  need_root
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: enabling the i386 architecture"
    dpkg --add-architecture i386
  fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Japanese and Chinese code pages for the font tests: Wine takes its ANSI
# code page from the locale, which glibc must have. (The CJK face above is
# the smallest that draws both.)
for loc in ja_JP zh_CN; do
  if ! locale -a 2>/dev/null | grep -qix "$loc.utf8"; then
    need_root
    echo "setup: generating the $loc.UTF-8 locale"
    localedef -i "$loc" -f UTF-8 "$loc.UTF-8"
  fi
done

# Private Wine prefix: never the user's own (~/.wine, or a WINEPREFIX in the
# environment). ZENTRIX_PREFIX names another one, made and configured here
# the same way; scripts/with-display.sh then runs everything there.
export WINEPREFIX="${ZENTRIX_PREFIX:-$build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "setup: creating the Wine prefix in $WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  # wineboot needs no display; keep it from trying to open one.
  DISPLAY= wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "setup: wineboot did not create the prefix" >&2
    exit 1
  fi
fi

# Wine's own fonts ("MS Sans Serif", Marlett for the caption buttons, ...)
# are only looked up in the prefix's Fonts folder on this packaging.
fonts_dir="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f "$fonts_dir/sserife.fon" ] && [ -d /usr/share/wine/fonts ]; then
  echo "setup: copying Wine's fonts into the prefix"
  mkdir -p "$fonts_dir"
  cp -n /usr/share/wine/fonts/* "$fonts_dir/"
fi

# Windows are left unmanaged by the X server's (absent) window manager: under
# Xvfb, Wine otherwise waits for a window manager's answer each time a
# top-level window is hidden or destroyed.
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  echo "setup: configuring the Wine prefix"
  DISPLAY= wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  wineserver -w
fi
