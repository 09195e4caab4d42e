#!/usr/bin/env python3
"""Which room of the source tree includes which.

A room is a subsystem folder under Corvallen/ (its core) or that folder's Views/ (its views); a
subsystem may sit inside another's folder (Library/Reading), and is then a room of its own.
Rooms sit on levels: the platform stand-ins at the bottom, then the object store, then the model, then the shared
widgets, then the features, and the application's assembly (the Shell) on top. The script
reads every #include "..." line and prints:

  - the arrows between rooms, with how many include lines each carries;
  - the upward arrows: a room including one on a higher level, or a core including views
    (main.cpp, the application itself, may include anything);
  - the circles: rooms that reach each other (strongly connected), and the largest set of
    files that include each other round in a circle.

With --cmake it also compares the arrows with the dependency lists of cmake/Subsystems.cmake: a
room's library names only rooms it includes itself, and every room it includes is named by it
or reached through the libraries it names (a views library always has its own core).

Usage: tools/include-graph.py [--cmake] [source root]
Exit status 1 when an upward arrow, a circle between rooms or (with --cmake) a wrong list is found.
"""
import os
import re
import sys
from collections import defaultdict

LEVELS = {
    "Platform": 0,
    "Store": 1,
    "Model": 2,
    # Text recognition and screen reading: above the platform stand-ins, below every feature.
    "Library/Reading": 2,
    "Widgets": 3,
    # The features: they may use each other, as long as no circle forms.
    "Devices": 4, "Sync": 4, "Exports": 4, "Backup": 4, "Inventory": 4,
    "Library": 4, "Documents": 4, "Projects": 4, "Settings": 4,
    "Shell": 5,
    "App": 6,
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


# Subsystems inside another subsystem's folder.
NESTED = {"Library/Reading"}


def room_of(path):
    """'Corvallen/Shell/Views/TagPill.h' -> ('Shell', True)."""
    parts = path.split("/")
    if len(parts) < 2 or parts[0] != "Corvallen":
        return None
    if len(parts) == 2:
        return ("App", False)
    if len(parts) > 3 and "/".join(parts[1:3]) in NESTED:
        return ("/".join(parts[1:3]), "Views" in parts[3:-1])
    return (parts[1], "Views" in parts[2:-1])


def name(room):
    return room[0] + ("/Views" if room[1] else "")


def files_under(root):
    out = []
    for base, _, names in os.walk(os.path.join(root, "Corvallen")):
        for n in names:
            if n.endswith((".h", ".cpp")):
                out.append(os.path.relpath(os.path.join(base, n), root))
    return sorted(out)


def resolve(root, src, inc):
    for cand in (inc, os.path.normpath(os.path.join(os.path.dirname(src), inc))):
        if os.path.isfile(os.path.join(root, cand)):
            return cand
    return None


def sccs(nodes, edges):
    """Tarjan, iterative; returns the components of more than one node."""
    index, low, on, stack, out = {}, {}, set(), [], []
    counter = [0]
    for start in nodes:
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, ()))))]
        index[start] = low[start] = counter[0]; counter[0] += 1
        stack.append(start); on.add(start)
        while work:
            v, it = work[-1]
            advanced = False
            for w in it:
                if w not in index:
                    index[w] = low[w] = counter[0]; counter[0] += 1
                    stack.append(w); on.add(w)
                    work.append((w, iter(sorted(edges.get(w, ())))))
                    advanced = True
                    break
                if w in on:
                    low[v] = min(low[v], index[w])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[v])
            if low[v] == index[v]:
                comp = []
                while True:
                    w = stack.pop(); on.discard(w); comp.append(w)
                    if w == v:
                        break
                if len(comp) > 1:
                    out.append(sorted(comp))
    return out


def target(room):
    return "corvallen_" + room[0].split("/")[-1].lower() + ("_ui" if room[1] else "")


def cmake_lists(root):
    """{'corvallen_sync': {...}, 'corvallen_sync_ui': {...}} from corvallen_subsystem() calls."""
    with open(os.path.join(root, "cmake", "Subsystems.cmake"), encoding="utf-8") as h:
        text = h.read()
    lists = {}
    for m in re.finditer(r"corvallen_subsystem\(\s*([\w/]+)([^)]*)\)", text):
        lname = m.group(1).split("/")[-1].lower()
        core, ui, key = set(), set(), None
        for word in m.group(2).split():
            if word in ("CORE_DEPS", "UI_DEPS"):
                key = word
            elif word.startswith("corvallen_"):
                (core if key == "CORE_DEPS" else ui).add(word)
        lists["corvallen_" + lname] = core
        lists["corvallen_" + lname + "_ui"] = ui
    return lists


def check_cmake(root, room_edges):
    lists = cmake_lists(root)
    for t in list(lists):
        if t.endswith("_ui"):
            lists[t] = lists[t] | {t[:-3]}
    included = defaultdict(set)
    for (a, b) in room_edges:
        if a[0] != "App":  # main.cpp links everything
            included[target(a)].add(target(b))

    def reach(t, seen):
        for d in lists.get(t, ()):
            if d not in seen:
                seen.add(d)
                reach(d, seen)
        return seen

    bad = 0
    print("\ncmake/Subsystems.cmake against the includes")
    for t in sorted(lists):
        own_core = {t[:-3]} if t.endswith("_ui") else set()
        extra = sorted(lists[t] - included[t] - own_core)
        missing = sorted(included[t] - reach(t, set()))
        if extra or missing:
            bad += 1
            print(f"  {t}: " + "; ".join(
                ([f"named, not included: {' '.join(extra)}"] if extra else []) +
                ([f"included, not reached: {' '.join(missing)}"] if missing else [])))
    if not bad:
        print("  every library names only what it includes, and reaches all it includes")
    return bad


def main():
    args = [a for a in sys.argv[1:] if a != "--cmake"]
    with_cmake = "--cmake" in sys.argv[1:]
    root = args[0] if args else os.path.join(os.path.dirname(__file__), "..")
    root = os.path.abspath(root)
    files = files_under(root)
    file_edges = defaultdict(set)
    room_edges = defaultdict(int)
    for f in files:
        with open(os.path.join(root, f), encoding="utf-8", errors="replace") as h:
            text = h.read()
        for inc in INCLUDE.findall(text):
            target = resolve(root, f, inc)
            if target is None:
                continue
            a, b = room_of(f), room_of(target)
            if a is None or b is None:
                continue
            # A .cpp and its own header are one unit: count the arrow from the header's side.
            file_edges[os.path.splitext(f)[0]].add(os.path.splitext(target)[0])
            if a != b:
                room_edges[(a, b)] += 1

    rooms = sorted({r for e in room_edges for r in e}, key=lambda r: (LEVELS.get(r[0], 9), r))
    print(f"files: {len(files)}   rooms: {len(rooms)}   arrows between rooms: {len(room_edges)}")
    print("\narrows (includer -> included: include lines)")
    for (a, b), n in sorted(room_edges.items(), key=lambda e: (name(e[0][0]), name(e[0][1]))):
        print(f"  {name(a):22} -> {name(b):22} {n}")

    upward = []
    for (a, b), n in room_edges.items():
        la, lb = LEVELS.get(a[0], 9), LEVELS.get(b[0], 9)
        if lb > la:
            upward.append((a, b, n, "to a higher level"))
        elif not a[1] and b[1] and a[0] != "App":
            upward.append((a, b, n, "core includes views"))
    print(f"\nupward arrows: {len(upward)}")
    for a, b, n, why in sorted(upward, key=lambda u: (name(u[0]), name(u[1]))):
        print(f"  {name(a):22} -> {name(b):22} {n:3}  ({why})")

    adj = defaultdict(set)
    for (a, b) in room_edges:
        adj[a].add(b)
    room_cycles = sccs(rooms, adj)
    files_in = defaultdict(int)
    for f in files:
        files_in[room_of(f)] += 1
    print(f"\ncircles between rooms: {len(room_cycles)}")
    for c in room_cycles:
        print(f"  {sum(files_in[r] for r in c)} files in " + ", ".join(name(r) for r in c))

    units = sorted({u for u in file_edges} | {t for s in file_edges.values() for t in s})
    file_cycles = sccs(units, file_edges)
    largest = max((len(c) for c in file_cycles), default=0)
    print(f"\nfile circles (a .cpp and its header count as one): {len(file_cycles)}   largest: {largest}")
    for c in sorted(file_cycles, key=len, reverse=True):
        spanned = sorted({name(room_of(u + '.h') or ('?', False)) for u in c})
        if len(spanned) > 1:
            print(f"  {len(c)} files across {', '.join(spanned)}")
        else:
            print(f"  {len(c)} files in {spanned[0]}: {', '.join(os.path.basename(u) for u in c)}")
    bad_lists = check_cmake(root, room_edges) if with_cmake else 0
    return 1 if upward or room_cycles or bad_lists else 0


if __name__ == "__main__":
    sys.exit(main())
