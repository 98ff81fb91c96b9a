#!/usr/bin/env python3
"""Reads a running program's accessibility tree over AT-SPI, as a screen reader does.

Usage:
  atspi_tree.py tree PID [WINDOW]      the tree of the program's windows (or of the window
                                       titled WINDOW), one node a line:
                                       DEPTH<TAB>ROLE<TAB>NAME<TAB>STATES<TAB>ACTIONS
  atspi_tree.py press PID ROLE NAME    runs the first action of the first node with that role
                                       and name (in any window); fails when there is none or
                                       it has no action
  atspi_tree.py watch PID SECONDS      prints "ready", then for SECONDS every name change of a
                                       node of the program: name-changed<TAB>ROLE<TAB>NAME
  atspi_tree.py focus PID              prints the focused node: ROLE<TAB>NAME

STATES is a comma-separated list of enabled, focusable, focused, showing; ACTIONS the node's
action names. The rows of lists, trees and tables and the entries of menus are not walked: their
own nodes say how many children they have (children=N in STATES).
"""

import sys
import time

import pyatspi
from gi.repository import GLib

# Nodes whose children are rows or menu entries: only the node itself is printed.
CONTAINERS = {"list", "tree", "table", "tree table", "menu bar", "menu", "list box"}
# Files of the program with hundreds of rows would make a slow walk.
MAX_DEPTH = 12


def find_app(pid, seconds=20.0):
    """The program's application node, waited for while the program registers itself."""
    end = time.monotonic() + seconds
    while True:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except GLib.Error:
                continue
        if time.monotonic() >= end:
            return None
        time.sleep(0.2)


def role_of(node):
    """The node's role by name, one spelling for every release: at-spi2-core 2.53 calls the push
    button role "button"."""
    if node.getRole() == pyatspi.ROLE_PUSH_BUTTON:
        return "push button"
    return node.getRoleName()


def states_of(node):
    states = node.getState()
    names = []
    for name, state in (("enabled", pyatspi.STATE_SENSITIVE), ("focusable", pyatspi.STATE_FOCUSABLE),
                        ("focused", pyatspi.STATE_FOCUSED), ("showing", pyatspi.STATE_SHOWING)):
        if states.contains(state):
            names.append(name)
    if role_of(node) in CONTAINERS:
        names.append("children=%d" % node.childCount)
    return names


def actions_of(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def clean(text):
    return (text or "").replace("\t", " ").replace("\n", " ")


def walk(node, depth, out):
    try:
        role = role_of(node)
        out.append("%d\t%s\t%s\t%s\t%s" % (depth, role, clean(node.name),
                                         ",".join(states_of(node)), ",".join(actions_of(node))))
        if role in CONTAINERS or depth >= MAX_DEPTH:
            return
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                walk(child, depth + 1, out)
    except GLib.Error as error:
        out.append("%d\terror\t%s\t\t" % (depth, clean(str(error))))


def windows(app, title=None):
    found = []
    for i in range(app.childCount):
        window = app.getChildAtIndex(i)
        if window is not None and (title is None or window.name == title):
            found.append(window)
    return found


def find_first(node, wanted):
    """The first node under `node` (itself included) for which `wanted` holds; the rows of
    containers are not searched."""
    if wanted(node):
        return node
    if role_of(node) in CONTAINERS:
        return None
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            hit = find_first(child, wanted)
            if hit is not None:
                return hit
    return None


def find_node(node, role, name):
    return find_first(node, lambda n: role_of(n) == role and n.name == name)


def cmd_tree(app, args):
    title = args[0] if args else None
    shown = windows(app, title)
    if title is not None and not shown:
        return fail("no window titled %s" % title)
    out = []
    for window in shown:
        walk(window, 0, out)
    print("\n".join(out))
    return 0


def cmd_press(app, args):
    role, name = args
    for window in windows(app):
        node = find_node(window, role, name)
        if node is None:
            continue
        actions = actions_of(node)
        if not actions:
            return fail("%s %s has no action" % (role, name))
        if not node.queryAction().doAction(0):
            return fail("%s %s: the action %s was refused" % (role, name, actions[0]))
        print("pressed %s %s: %s" % (role, name, actions[0]))
        return 0
    return fail("no %s named %s" % (role, name))


def cmd_watch(app, args):
    seconds = float(args[0])
    pid = app.get_process_id()

    def changed(event):
        source = event.source
        try:
            if source is None or source.get_process_id() != pid:
                return
            print("name-changed\t%s\t%s" % (role_of(source), clean(source.name)), flush=True)
        except GLib.Error:
            pass

    pyatspi.Registry.registerEventListener(changed, "object:property-change:accessible-name")
    # The program learns of the new listener over the bus; give it a moment before the caller
    # acts.
    GLib.timeout_add(500, lambda: print("ready", flush=True) and False)
    GLib.timeout_add(int(seconds * 1000), lambda: pyatspi.Registry.stop() and False)
    pyatspi.Registry.start()
    return 0


def cmd_focus(app, _args):
    for window in windows(app):
        node = find_first(window, lambda n: n.getState().contains(pyatspi.STATE_FOCUSED))
        if node is not None:
            print("%s\t%s" % (role_of(node), clean(node.name)))
            return 0
    return fail("no node has the focus")


def fail(message):
    print("atspi_tree: " + message, file=sys.stderr)
    return 1


def main(argv):
    commands = {"tree": cmd_tree, "press": cmd_press, "watch": cmd_watch, "focus": cmd_focus}
    if len(argv) < 3 or argv[1] not in commands:
        print(__doc__, file=sys.stderr)
        return 2
    app = find_app(int(argv[2]))
    if app is None:
        return fail("no application of process %s on the accessibility bus" % argv[2])
    return commands[argv[1]](app, argv[3:])


if __name__ == "__main__":
    sys.exit(main(sys.argv))
