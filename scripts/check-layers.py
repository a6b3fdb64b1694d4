#!/usr/bin/env python3
"""Reads every #include under src/ and fails when a file uses a layer its own
may not use, or a Qt module its layer must stay free of. The programs under
tools/ and the tests may use any layer.

Usage: check-layers.py [--qt-headers DIR] [ROOT]
"""
import pathlib
import re
import sys

# Folder (relative to src/) -> folders it may include besides itself.
ALLOWED = {
    "common": set(),
    "records": {"common"},
    "config": {"common"},
    "export": {"common", "records"},
    "link": {"common"},
    "report": {"common", "records", "config"},
    "samples": {"common", "records", "config"},
    "analysis": {"common", "records", "config"},
    "charts": {"common"},
    "document": {"common", "charts"},
    "audit": {"common", "records", "config", "analysis", "charts", "document"},
    # The web view's HTTP side: the server, its checks and its users.
    "web": {"common"},
    "collect": {"common", "records", "config", "export", "link", "analysis", "charts", "document",
                "audit", "web"},
    "app/shared": {"common", "records", "config", "export", "link", "report"},
    "app/dialogs": {"app/shared", "common"},
    "app/printing": {"app/dialogs", "app/shared", "common", "records", "config", "report",
                     "charts"},
    "app/operation": {"app/dialogs", "app/shared", "common", "records", "config", "link"},
    "app/datalogger": {"app/operation", "app/printing", "app/dialogs", "app/shared",
                       "common", "records", "export", "link", "report", "analysis", "charts",
                       "document", "audit"},
    "app/configuration": {"app/operation", "app/printing", "app/dialogs", "app/shared",
                          "common", "config", "link", "report"},
    "app/commandline": {"app/operation", "app/dialogs", "app/shared",
                        "common", "records", "config", "export", "link"},
    "app/shell": {"app/commandline", "app/datalogger", "app/configuration", "app/operation",
                  "app/printing", "app/dialogs", "app/shared",
                  "common", "records", "config", "export", "link", "report"},
}

# Qt modules a layer may use; None means any.
QT_MODULES = {
    "link": {"QtCore", "QtNetwork"},
    "web": {"QtCore", "QtNetwork"},
    "collect": {"QtCore", "QtGui", "QtNetwork", "QtSql"},
    # Charts draw on a QPainter and write SVG; never widgets.
    "charts": {"QtCore", "QtGui", "QtSvg"},
    # Documents are written as HTML with the charts' SVG, and as PDF on a QPdfWriter.
    "document": {"QtCore", "QtGui"},
}
LIBRARY_QT = {"QtCore"}
LIBRARIES = {"common", "records", "config", "export", "link", "report", "samples", "collect", "analysis",
             "charts", "document", "audit", "web"}

PROJECT_INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/(?:([a-z]+)/)?[^"]+"')
SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s+<(Q[A-Za-z0-9_]*)(?:/([A-Za-z0-9_]+))?>')


def layer_of(path: pathlib.Path, src: pathlib.Path):
    parts = path.relative_to(src).parts
    if parts[0] == "app" and len(parts) > 2:
        return "app/" + parts[1]
    return parts[0]


def qt_module_index(qt_headers: pathlib.Path):
    """Maps a Qt class header name (QFile) to the module folder that holds it."""
    index = {}
    if not qt_headers or not qt_headers.is_dir():
        return index
    for module in qt_headers.iterdir():
        if module.is_dir() and module.name.startswith("Qt"):
            for header in module.iterdir():
                index.setdefault(header.name, module.name)
    return index


def main(argv):
    qt_headers = None
    args = list(argv)
    if "--qt-headers" in args:
        i = args.index("--qt-headers")
        qt_headers = pathlib.Path(args[i + 1])
        del args[i:i + 2]
    root = pathlib.Path(args[0] if args else pathlib.Path(__file__).resolve().parent.parent)
    src = root / "src"
    qt_index = qt_module_index(qt_headers)
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        layer = layer_of(path, src)
        if layer not in ALLOWED:
            faults.append(f"{path.relative_to(root)}: folder '{layer}' has no place in the layers")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            where = f"{path.relative_to(root)}:{number}"
            m = PROJECT_INCLUDE.match(line)
            if m:
                target = m.group(1)
                if target == "app":
                    target = "app/" + (m.group(2) or "")
                if target != layer and target not in ALLOWED[layer]:
                    faults.append(f"{where}: '{layer}' may not include '{target}'")
                continue
            m = SYSTEM_INCLUDE.match(line)
            if m and layer in LIBRARIES:
                module = m.group(1) if m.group(2) else qt_index.get(m.group(1))
                if module is None:
                    continue
                allowed = QT_MODULES.get(layer, LIBRARY_QT)
                if module not in allowed:
                    faults.append(f"{where}: '{layer}' may not use {module} (<{m.group(0).split('<')[1]})")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) break the layers", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
