"""Writing a generated source file the way the build wants it."""

import os


def write_if_changed(target, text):
    """Writes `text` to `target` whole (through a partial file), and not at all when the file
    already holds it: what includes it then need not be built again."""
    try:
        with open(target, encoding="utf-8") as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(target + ".part", "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    os.replace(target + ".part", target)
