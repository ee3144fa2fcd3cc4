"""What the comparison scripts share: reading positions from perft and EPD
files, and running a program on a list of commands in an empty folder."""
import os
import subprocess
import tempfile


def positions(paths):
    """The first four FEN fields of every line, completed with "0 1"."""
    fens = []
    for path in paths:
        with open(path, "rb") as f:
            for raw in f.read().split(b"\n"):
                line = raw.replace(b"\0", b"").replace(b"\r", b"").decode("latin-1")
                fields = line.split(";")[0].split()
                if len(fields) >= 4:
                    fens.append(" ".join(fields[:4]) + " 0 1")
    return fens


def run(program, commands, timeout):
    """The standard output of program fed the command lines and "quit"."""
    text = "\n".join(commands + ["quit"]) + "\n"
    with tempfile.TemporaryDirectory() as folder:
        return subprocess.run([os.path.abspath(program)], input=text, capture_output=True,
                              text=True, cwd=folder, timeout=timeout).stdout
