#!/usr/bin/env python3
"""What a screen reader finds of a running program, asked over the desktop's accessibility bus
(AT-SPI) as a screen reader asks it, through libatspi.

    screen_reader.py tree PID            prints the program's elements as JSON, one per line
    screen_reader.py do PID NAME ACTION  does the action of that name on the first element
                                         shown with that name
    screen_reader.py listen PID          prints, once listening, the line "listening", then the
                                         events the program sends about its elements as JSON, one
                                         per line, until its input is closed

Each element of `tree` is an object with its depth, role name, name, description, states,
action names and the text it shows (for elements with a text interface). An element that is not
shown is left out with everything under it, as a screen reader leaves them out. The program is found
by its process id among the bus's applications, waiting for it to appear for a few seconds.

Each event of `listen` is an object with its type ("object:state-changed:checked",
"object:property-change:accessible-name", "object:children-changed:add", ...), its two numbers
(detail1: a state's new value, a child's index) and the names of its source and of the element it
carries (the child added or removed), as a screen reader hears of them.

Exit codes: 0 done; 2 the program never appeared on the bus; 3 no element shown with that name;
4 the element has no action of that name; 5 the action was refused.
"""

import json
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

APPEAR_SECONDS = 10


def find_program(pid):
    deadline = time.monotonic() + APPEAR_SECONDS
    while True:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    # Every answer fresh from the program: its rows come and go.
                    app.set_cache_mask(Atspi.Cache.NONE)
                    return app
            except GLib.Error:
                pass
        if time.monotonic() > deadline:
            return None
        time.sleep(0.1)


def state_names(element):
    states = element.get_state_set()
    return sorted(Atspi.StateType(s).value_nick for s in states.get_states())


def action_names(element, interfaces):
    if "Action" not in interfaces:
        return []
    # get_action_name() is the name a screen reader offers; libatspi calls it deprecated
    # in favour of a call its Python binding does not have yet.
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        return [element.get_action_name(i) for i in range(element.get_n_actions())]


def describe(element, depth):
    interfaces = element.get_interfaces()
    shown_text = ""
    if "Text" in interfaces:
        shown_text = element.get_text(0, element.get_character_count()) or ""
    return {
        "depth": depth,
        "role": element.get_role_name(),
        "name": element.get_name() or "",
        "description": element.get_description() or "",
        "states": state_names(element),
        "actions": action_names(element, interfaces),
        "text": shown_text,
    }


def walk(element, depth, visit):
    """Calls visit(element, node) for the element and its children while they are shown; stops
    when visit returns True."""
    try:
        node = describe(element, depth)
    except GLib.Error:
        return False  # gone while being asked about
    if depth > 0 and "showing" not in node["states"]:
        return False
    if visit(element, node):
        return True
    for i in range(element.get_child_count()):
        child = element.get_child_at_index(i)
        if child is not None and walk(child, depth + 1, visit):
            return True
    return False


def tree(app):
    lines = []
    walk(app, 0, lambda _element, node: lines.append(json.dumps(node)) and False)
    print("\n".join(lines))
    return 0


def do(app, name, action):
    found = []

    def visit(element, node):
        if node["name"] == name:
            found.append((element, node))
            return True
        return False

    walk(app, 0, visit)
    if not found:
        print(f"no element shown is named {name!r}", file=sys.stderr)
        return 3
    element, node = found[0]
    if action not in node["actions"]:
        print(f"{name!r} has the actions {node['actions']}, not {action!r}", file=sys.stderr)
        return 4
    return 0 if element.do_action(node["actions"].index(action)) else 5


# The events a screen reader follows to keep what it says of a program's elements up to date.
LISTENED_EVENTS = (
    "object:state-changed",
    "object:property-change:accessible-name",
    "object:property-change:accessible-description",
    "object:children-changed",
)


def name_of(element):
    try:
        return element.get_name() or "" if element is not None else ""
    except (GLib.Error, AttributeError, TypeError):
        return ""  # gone, or no element at all


def listen(app):
    pid = app.get_process_id()

    def heard(event):
        try:
            if event.source is None or event.source.get_process_id() != pid:
                return
        except GLib.Error:
            return
        carried = event.any_data if isinstance(event.any_data, Atspi.Accessible) else None
        print(json.dumps({
            "type": event.type,
            "detail1": event.detail1,
            "source": name_of(event.source),
            "carried": name_of(carried),
        }), flush=True)

    listener = Atspi.EventListener.new(heard)
    for kind in LISTENED_EVENTS:
        listener.register(kind)
    print("listening", flush=True)

    def input_closed(*_args):
        Atspi.event_quit()
        return False

    GLib.io_add_watch(sys.stdin.fileno(), GLib.IO_IN | GLib.IO_HUP | GLib.IO_ERR, input_closed)
    Atspi.event_main()
    return 0


def main(argv):
    if len(argv) < 3 or argv[1] not in ("tree", "do", "listen") or (
            argv[1] == "do" and len(argv) != 5):
        print(__doc__, file=sys.stderr)
        return 64
    app = find_program(int(argv[2]))
    if app is None:
        print(f"no program with process id {argv[2]} on the accessibility bus", file=sys.stderr)
        return 2
    if argv[1] == "tree":
        return tree(app)
    if argv[1] == "listen":
        return listen(app)
    return do(app, argv[3], argv[4])


if __name__ == "__main__":
    sys.exit(main(sys.argv))
