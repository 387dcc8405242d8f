"""Reads the main window of the running program through AT-SPI, as a screen reader does.

Usage: atspi_read.py check        the names, roles and labels of the fields, the count box, the
                                  list and the buttons; prints the list's rows, one per line
       atspi_read.py field LABEL  prints the text of the field that LABEL labels
Exits 1 with the reason on a mismatch, 2 when the window never appears on the bus.
"""
import sys
import time

import pyatspi


def find_window():
    # The program registers with the registry shortly after its window maps.
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is None:
                continue
            for window in app:
                if window is not None and window.name == "Brindlecot ":
                    return window
        time.sleep(0.1)
    print("the main window did not appear on the accessibility bus")
    sys.exit(2)


def labelled_by(obj):
    return [r.getTarget(i).name for r in obj.getRelationSet()
            if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
            for i in range(r.getNTargets())]


def showing(obj):
    return obj.getState().contains(pyatspi.STATE_SHOWING)


def children(window):
    return [c for c in window if c is not None]


def field_labelled(window, label):
    for c in children(window):
        if label in labelled_by(c):
            return c
    return None


def check(window):
    problems = []
    controls = children(window)

    def expect(condition, message):
        if not condition:
            problems.append(message)

    # Each field: its role, the label it is labelled by, and the name read for it (an editable
    # combo box is named by its value; screen readers read its label from the relation).
    for label, role, named in (("Title:", "text", True), ("Program/URL:", "text", True),
                               ("Sort", "combo box", False),
                               ("Number of entries", "text", True)):
        field = field_labelled(window, label)
        if field is None:
            problems.append(f"no field is labelled by {label!r}")
            continue
        expect(field.getRoleName() == role, f"{label!r} labels a {field.getRoleName()}")
        if named:
            expect(field.name == label, f"the field labelled {label!r} is named {field.name!r}")
    count = field_labelled(window, "Number of entries")
    if count is not None:
        expect(count.getState().contains(pyatspi.STATE_READ_ONLY), "the count box is not read-only")

    # The labels that are never on screen are not shown to a screen reader's review either.
    for c in controls:
        if c.getRoleName() == "label" and c.name in ("Entries", "Number of entries"):
            expect(not showing(c), f"the label {c.name!r} is showing")

    lists = [c for c in controls if c.getRoleName() in ("table", "tree table", "tree")]
    rows = []
    if len(lists) != 1:
        problems.append(f"{len(lists)} lists")
    else:
        entries = lists[0]
        expect(entries.name == "Entries", f"the list is named {entries.name!r}")
        table = entries.queryTable()
        headers = [table.getColumnHeader(c).name for c in range(table.nColumns)]
        expect(headers == ["Site Title", "Program/Site URL", "Sort Order"],
               f"the list's headers are {headers}")
        for r in range(table.nRows):
            rows.append("|".join(table.getAccessibleAt(r, c).name for c in range(table.nColumns)))

    buttons = sorted(c.name for c in controls if c.getRoleName() == "push button")
    expect(buttons == sorted(["Browse", "Quit", "Test", "Add", "Remove", "Update", "Clear",
                              "Clear All", "Help"]), f"the buttons are named {buttons}")
    if problems:
        print("\n".join(problems))
        sys.exit(1)
    print("\n".join(rows))


def main():
    window = find_window()
    if sys.argv[1] == "check":
        check(window)
    elif sys.argv[1] == "field":
        field = field_labelled(window, sys.argv[2])
        if field is None:
            print(f"no field is labelled by {sys.argv[2]!r}")
            sys.exit(1)
        print(field.queryText().getText(0, -1))
    else:
        sys.exit(f"unknown command {sys.argv[1]}")


main()
