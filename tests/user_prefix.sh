#!/usr/bin/env bash
# A Wine user's own prefix, exported as WINEPREFIX, is left byte for byte as
# it was by a make target that runs Wine: the target runs in the project's
# prefix instead. The target is the soak's loads (nothing shown), its build
# step left out (make -o build).
#
#   user_prefix.sh SOURCE_DIR BUILD_DIR
set -euo pipefail

top=$1
build=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# As far as Wine can tell, a prefix: it would run in it, not make a new one.
printf 'WINE REGISTRY Version 2\n' >"$scratch/user.reg"
mkdir "$scratch/drive_c"

state() {
  (cd "$scratch" && find . -printf '%p %y %s %T@\n' | sort && find . -type f -exec sha256sum {} + | sort)
}
before=$(state)
# The outer make's job server is not this one's.
WINEPREFIX=$scratch MAKEFLAGS= MAKELEVEL= make --no-print-directory -C "$top" -o build soak BUILD="$build" \
  SOAK_ARGS="--cycles 0 --scans 0 --loads 1" >/dev/null
after=$(state)
if [ "$before" != "$after" ]; then
  echo "FAIL make soak changed the exported WINEPREFIX ($scratch):"
  diff <(echo "$before") <(echo "$after") | head -n 20
  exit 1
fi
echo "PASS the exported WINEPREFIX is as it was"
