#!/usr/bin/env bash
# Counts the wineserver requests our dialog and the bare one make in each
# phase: construction and destruction alone, and one Execute run cut at the
# same marks the timings use. Under Wine nearly every window call is such a
# request, so the counts explain the timings without their noise.
#
# A traced wineserver must be one this script starts, so it runs the
# benchmark's --marks mode against a private copy of the project's prefix
# (removed afterwards) and never touches a server someone else runs.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${BUILD:-$top/build}" && pwd)
exe=$build/dialog_bench.exe
[ -f "$exe" ] || { echo "server-calls: build $exe first" >&2; exit 1; }

work=$(mktemp -d)
trap 'WINEPREFIX=$work/prefix wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
cp -a "$build/wineprefix" "$work/prefix"
ZENTRIX_PREFIX=$work/prefix WINEDEBUG=+server,+debugstr "$top/scripts/with-display.sh" wine "$exe" --marks \
  2>"$work/trace" >/dev/null

# Requests are lines "TID: name( args )" from the marking thread; replies
# read "name() = ...". A mark "run/phase" opens a section, "end" closes it.
awk '
  /"zx-mark / {
    match($0, /"zx-mark [^"]*"/)
    name = substr($0, RSTART + 9, RLENGTH - 10)
    tid = substr($0, 1, 4)
    section = name == "end" ? "" : name
    if (section != "") {
      split(section, part, "/")
      if (!(part[2] in known)) { known[part[2]] = 1; phases[++nphases] = part[2] }
    }
    next
  }
  section != "" && substr($0, 1, 4) == tid && $0 ~ /^[0-9a-f]+: [a-z0-9_]+\( / {
    request = $2
    sub(/\(.*/, "", request)
    count[section, request]++
    total[section]++
    requests[request] = 1
  }
  END {
    printf "%-20s %6s %6s %9s   %s\n", "phase", "ours", "bare", "ours-bare", "largest differences (ours-bare)"
    for (p = 1; p <= nphases; p++) {
      phase = phases[p]
      n = 0
      for (r in requests) {
        d = count["ours/" phase, r] - count["bare/" phase, r]
        if (d != 0) { diff[++n] = d; label[n] = r }
      }
      # Largest first, by size; a few are enough to name the habit.
      line = ""
      for (k = 1; k <= 6 && k <= n; k++) {
        best = k
        for (j = k + 1; j <= n; j++) if ((diff[j] < 0 ? -diff[j] : diff[j]) > (diff[best] < 0 ? -diff[best] : diff[best])) best = j
        t = diff[k]; diff[k] = diff[best]; diff[best] = t
        t = label[k]; label[k] = label[best]; label[best] = t
        line = line sprintf("%s%s %+d", k > 1 ? ", " : "", label[k], diff[k])
      }
      printf "%-20s %6d %6d %+9d   %s\n", phase, total["ours/" phase], total["bare/" phase],
             total["ours/" phase] - total["bare/" phase], line
      # The whole Execute run, ours without its activation pass (no bare counterpart).
      if (phase ~ /^execute:/ && phase != "execute:pass") {
        runOurs += total["ours/" phase]
        runBare += total["bare/" phase]
      }
    }
    printf "%-20s %6d %6d %+9d   ratio %.2f (ours without its activation pass)\n", "execute, all", runOurs,
           runBare, runOurs - runBare, runBare ? runOurs / runBare : 0
  }
' "$work/trace"
