#!/usr/bin/env python3
"""The dialog's role for screen readers, as far as Wine 8 lets it be seen.

    role_e2e.py --build BUILD_DIR

The form is annotated with the dialog role through the accessibility
layer's annotation service. Wine 8's layer gives every window the client
role and its service keeps nothing (it answers E_NOTIMPL), so no reader can
read the role back here. What Wine does show is each call to the service,
in its trace: this runs Execute once (pdlhost --report) with the
accessibility channel traced and checks that the dialog's client object got
the dialog role (ROLE_SYSTEM_DIALOG, 18) and that the same window's
annotation was cleared before the window went.

Needs DISPLAY and WINEPREFIX, as scripts/with-display.sh sets them.
"""

import argparse
import os
import re
import subprocess
import sys

OBJID_CLIENT = str(2**32 - 4)  # traced unsigned
PROPID_ACC_ROLE = "{cb905ff2-7bd1-4c05-b3c8-e6c241364d70}"
CALL = re.compile(r"AccPropServices_(SetHwndProp|ClearHwndProps) \((\w+) (\d+) (\d+) (.*)\)$", re.M)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    build = parser.parse_args().build
    env = dict(os.environ, WINEDEBUG="-all,+oleacc")
    run = subprocess.run(["wine", "pdlhost.exe", "--report", "zentrix.pdl"], cwd=build, env=env,
                         capture_output=True, text=True, errors="replace", timeout=120)
    if run.returncode != 0:
        sys.exit(f"pdlhost --report failed ({run.returncode}):\n{run.stdout}\n{run.stderr}")
    calls = CALL.findall(run.stderr)
    print("\n".join(" ".join(call) for call in calls))
    if len(calls) != 2 or [call[0] for call in calls] != ["SetHwndProp", "ClearHwndProps"]:
        sys.exit("expected one annotation of the dialog, then its clearing")
    (_, window, element, child, rest), (_, cleared, cleared_element, cleared_child, count) = calls
    if (element, child) != (OBJID_CLIENT, "0") or not rest.startswith(PROPID_ACC_ROLE) \
            or not rest.endswith("{VT_I4: 18}"):
        sys.exit("the annotation is not the dialog role on the client object")
    if (cleared, cleared_element, cleared_child) != (window, element, child) or not count.endswith(" 1"):
        sys.exit("the clearing is not that of the annotated element's one property")
    print(f"ok   window {window}: dialog role annotated, then cleared")


if __name__ == "__main__":
    main()
