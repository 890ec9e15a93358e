#!/usr/bin/env python3
"""Fails when a file under src/ includes from a layer above its own, or talks
to SQLite or PostgreSQL outside the stores.

The order is the one src/CMakeLists.txt builds: a layer may include itself and
the layers it lists here, nothing else of the program's own. Only src/stores/
knows which database holds the records (and the Windows catalogue reader, a
process of its own, reads Jet files)."""
import pathlib
import re
import sys

MAY_INCLUDE = {
    "program": set(),
    "stores": {"program"},
    "catalogue": {"program", "stores"},
    "backups": {"program", "stores"},
    "files": {"program"},
    "import": {"program", "stores", "catalogue"},
    "jetreader": {"import"},
    "drawingpaths": {"program", "files"},
    "widgets": {"program", "stores", "catalogue", "files"},
    "desktop": {"program"},
    "shell": {"program", "stores", "catalogue", "files", "widgets", "desktop"},
    "modules": {"program", "desktop"},
    "thumbnailer": {"program", "files"},
    "forms": {"program", "stores", "catalogue", "files", "widgets", "desktop", "shell", "modules", "import", "drawingpaths"},
    "startup": {"program", "stores", "catalogue", "backups", "files", "widgets", "desktop", "shell", "modules", "forms", "import",
                "drawingpaths"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.M)
DATABASE = re.compile(r'\bsqlite3\w*|\blibpq|\bPQ[a-z]\w*\s*\(|\bpg_conn\b|\bPGresult\b')
DATABASE_LAYERS = {"stores", "jetreader"}


def main() -> int:
    src = pathlib.Path(__file__).resolve().parent.parent / "src"
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in {".h", ".cpp"} or path.parent == src:
            continue
        layer = path.relative_to(src).parts[0]
        if layer not in MAY_INCLUDE:
            faults.append(f"{path.relative_to(src)}: folder '{layer}' belongs to no layer")
            continue
        text = path.read_text(encoding="utf-8")
        for target in INCLUDE.findall(text):
            if target in MAY_INCLUDE and target != layer and target not in MAY_INCLUDE[layer]:
                faults.append(f"{path.relative_to(src)}: {layer} includes from {target}")
        if layer not in DATABASE_LAYERS:
            for match in sorted(set(DATABASE.findall(text))):
                faults.append(f"{path.relative_to(src)}: {match} outside the stores")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
