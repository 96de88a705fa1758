#!/usr/bin/env python3
"""role_e2e.py --build BUILD_DIR: the dialog role, as far as Wine 8 shows it.

Wine's accessibility layer keeps no annotations (its service answers
E_NOTIMPL), so nothing can read the role back; its trace shows the calls.
Runs Execute once (pdlhost --report) with that trace on and checks that the
dialog's client object got the dialog role (ROLE_SYSTEM_DIALOG, 18) and that
the same window's annotation was cleared after. Needs DISPLAY and WINEPREFIX.
"""

import os
import re
import subprocess
import sys

build = sys.argv[sys.argv.index("--build") + 1]
run = subprocess.run(["wine", "pdlhost.exe", "--report", "zentrix.pdl"], cwd=build, capture_output=True,
                     text=True, errors="replace", timeout=120, env=dict(os.environ, WINEDEBUG="-all,+oleacc"))
calls = re.findall(r"AccPropServices_(\w+) \((\w+) (\d+) (\d+) (.*)\)$", run.stderr, re.M)
print("\n".join(" ".join(call) for call in calls))
ok = run.returncode == 0 and len(calls) == 2
if ok:
    (set_call, window, element, child, value), (clear_call, cleared, *cleared_element, count) = calls
    # OBJID_CLIENT (-4) is traced unsigned, then PROPID_ACC_ROLE and the role.
    ok = (set_call, element, child) == ("SetHwndProp", "4294967292", "0") \
        and value.startswith("{cb905ff2-7bd1-4c05-b3c8-e6c241364d70}") and value.endswith("{VT_I4: 18}") \
        and (clear_call, cleared, *cleared_element) == ("ClearHwndProps", window, element, child) \
        and count.endswith(" 1")
if not ok:
    sys.exit(f"expected the dialog role annotated on the dialog, then cleared:\n{run.stdout}\n{run.stderr}")
print(f"ok   window {calls[0][1]}: dialog role annotated, then cleared")
