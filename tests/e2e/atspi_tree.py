#!/usr/bin/python3
"""Prints a program's accessible objects as a screen reader reaches them over
AT-SPI, one JSON object a line: path, role, name, states, actions.
With --press NAME, first presses (through its action) the showing object of
that name.  atspi_tree.py APPLICATION [--press NAME]"""
import json
import sys
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# Debian 12's libatspi marks the action calls deprecated; they are the ones it has.
warnings.filterwarnings("ignore", category=DeprecationWarning)


def application(name):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == name:
            return app
    return None


def walk(node, path, out):
    states = node.get_state_set()
    shown = [s.value_nick for s in (Atspi.StateType.SHOWING, Atspi.StateType.VISIBLE, Atspi.StateType.FOCUSABLE,
                                    Atspi.StateType.EDITABLE, Atspi.StateType.READ_ONLY, Atspi.StateType.ENABLED)
             if states.contains(s)]
    action = node.get_action_iface()
    actions = [action.get_action_name(i) for i in range(action.get_n_actions())] if action else []
    out.append({"path": path, "role": node.get_role_name(), "name": node.get_name() or "",
                "states": shown, "actions": actions, "node": node})
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child, f"{path}/{i}", out)


def main():
    name = sys.argv[1]
    press = sys.argv[sys.argv.index("--press") + 1] if "--press" in sys.argv else None
    app = application(name)
    if app is None:
        print(f"no application {name!r} on the accessibility bus", file=sys.stderr)
        return 1
    nodes = []
    walk(app, "", nodes)
    if press is not None:
        targets = [n for n in nodes if n["name"] == press and "showing" in n["states"]]
        if not targets or not targets[0]["actions"]:
            print(f"nothing named {press!r} to press", file=sys.stderr)
            return 1
        targets[0]["node"].get_action_iface().do_action(0)
        return 0
    for node in nodes:
        del node["node"]
        print(json.dumps(node))
    return 0


if __name__ == "__main__":
    sys.exit(main())
