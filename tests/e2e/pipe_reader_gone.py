#!/usr/bin/env python3
"""Writes to pipes whose reader went away.

1. "randpos 1000000 FIFO", where this script opened the FIFO for reading,
   read the first bytes and closed it: the write fails, the engine says so
   with its "failed to write file" line and goes on answering commands.
2. Standard output with no reader: at the end of its input the engine ends,
   with status 0, as it does with a reader.
Usage: pipe_reader_gone.py PROGRAM"""
import os
import select
import subprocess
import sys
import tempfile
import threading

# Seconds for each wait: room for a sanitizer build on a busy machine.
TIMEOUT = 600


def end_input(engine, text):
    """Sends the last lines, closes the engine's input and answers its exit status."""
    try:
        engine.stdin.write(text)
        engine.stdin.close()
    except BrokenPipeError:
        pass
    try:
        return engine.wait(TIMEOUT)
    except subprocess.TimeoutExpired:
        engine.kill()
        sys.exit("the engine did not end at the end of its input")


def reader_goes_away(program, folder):
    fifo = os.path.join(folder, "positions.fen")
    os.mkfifo(fifo)
    # Opened before the engine opens it for writing, which then does not fail.
    fd = os.open(fifo, os.O_RDONLY | os.O_NONBLOCK)
    engine = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True, cwd=folder)
    lines = []
    out = threading.Thread(target=lambda: lines.extend(engine.stdout), daemon=True)
    out.start()
    err = []
    threading.Thread(target=lambda: err.append(engine.stderr.read()), daemon=True).start()
    engine.stdin.write("xboard\nrandpos 1000000 positions.fen\n")
    engine.stdin.flush()
    # The first bytes show that the engine writes; then the reader leaves
    # while it still has most of its million lines to write.
    if not select.select([fd], [], [], TIMEOUT)[0]:
        sys.exit("nothing was written to the FIFO")
    if not os.read(fd, 4096):
        sys.exit("the FIFO ended before anything was read")
    os.close(fd)
    status = end_input(engine, "ping 7\nquit\n")
    out.join(TIMEOUT)
    text = "".join(lines)
    if status != 0:
        sys.exit("exit status %d after the reader went away\n%s%s" % (status, text, "".join(err)))
    expected = ['# ERROR: failed to write file "positions.fen"\n',
                '# command "randpos 1000000 positions.fen" returned an error code \n',
                "pong 7\n"]
    if lines[-3:] != expected:
        sys.exit("expected the failed write, its error line and the pong; got:\n" + text)


def no_reader_on_standard_output(program, folder):
    read_end, write_end = os.pipe()
    os.close(read_end)
    engine = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=write_end,
                              stderr=subprocess.PIPE, cwd=folder)
    os.close(write_end)
    # A short search whose move and board go nowhere, then the end of input.
    status = end_input(engine, b"xboard\nprotover 2\nnew\nsd 2\ngo\nping 1\n")
    if status != 0:
        sys.exit("exit status %d with no reader on standard output\n%s"
                 % (status, engine.stderr.read().decode("utf-8", "replace")))


def main():
    program = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory() as folder:
        reader_goes_away(program, folder)
    with tempfile.TemporaryDirectory() as folder:
        no_reader_on_standard_output(program, folder)


main()
