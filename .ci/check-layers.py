#!/usr/bin/env python3
"""Fails when a file under src/ includes from a layer above its own.

The order is the one src/CMakeLists.txt builds: a layer may include itself and
the layers it lists here, nothing else of the program's own."""
import pathlib
import re
import sys

MAY_INCLUDE = {
    "program": set(),
    "stores": {"program"},
    "catalogue": {"program", "stores"},
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
    "startup": {"program", "stores", "catalogue", "files", "widgets", "desktop", "shell", "modules", "forms", "import",
                "drawingpaths"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.M)


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
        for target in INCLUDE.findall(path.read_text(encoding="utf-8")):
            if target in MAY_INCLUDE and target != layer and target not in MAY_INCLUDE[layer]:
                faults.append(f"{path.relative_to(src)}: {layer} includes from {target}")
    for fault in faults:
        print(fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
