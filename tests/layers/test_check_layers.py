#!/usr/bin/env python3
"""The layer check passes the real tree and fails copies of it with one
violation each. Usage: test_check_layers.py SRC_DIR"""
import os
import shutil
import subprocess
import sys
import tempfile

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_layers.py")
# (file to write under the copy of src/, its text, whether the check must pass)
CASES = [
    ("engine/extra.h", '#include "board/board.h"\n#include "search/searcher.h"\n', True),
    ("boardbb/extra.h", '#include "board/move_picker.h"\n', False),
    ("board0x88/extra.h", '#include "board/perft.h"\n', False),
    ("board/extra.h", '#include "board/types.h"\n#include "boardbb/board_bb64.h"\n', False),
    ("board/types_extra.h", '#include "eval/evaluate.h"\n', False),
    ("tablebases/extra.h", '#include "search/searcher.h"\n', False),
    ("eval/extra.h", '#include "book/book.h"\n', False),
    ("boardxyz/extra.h", '#include "engine/wbengine.h"\n', False),
    ("engine/extra2.h", '#include "boardxyz/extra.h"\n', False),
    ("platform/extra.h", '#include "board/types.h"\n', False),
]


def run(src):
    return subprocess.run([sys.executable, CHECK, src], capture_output=True, text=True)


def main():
    failures = []
    if run(sys.argv[1]).returncode != 0:
        failures.append("the real tree fails the check")
    for relative, text, passes in CASES:
        with tempfile.TemporaryDirectory() as tmp:
            copy = os.path.join(tmp, "src")
            shutil.copytree(sys.argv[1], copy)
            os.makedirs(os.path.dirname(os.path.join(copy, relative)), exist_ok=True)
            with open(os.path.join(copy, relative), "w", encoding="utf-8") as f:
                f.write(text)
            result = run(copy)
            if (result.returncode == 0) != passes:
                failures.append("%s: exit %d, expected %s" %
                                (relative, result.returncode, "pass" if passes else "fail"))
    for failure in failures:
        print(failure)
    print("%d passed, %d failed" % (len(CASES) + 1 - len(failures), len(failures)))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
