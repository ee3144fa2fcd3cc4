#!/usr/bin/env python3
"""Runs one protocol transcript against a built program and checks its output.

The program is started in an empty temporary folder. Transcript lines:

  # ...               comment (only at the start of a line, before any text)
  @args A B ...       command-line arguments (default: none)
  @file NAME          the following lines up to @end are written to NAME in the folder
  @end
  @hexfile NAME       the following lines of hexadecimal digits up to @end are
                      written to NAME as bytes (blanks ignored)
  @env NAME=VALUE     an environment variable for the program
  @fifo NAME          a named pipe NAME in the folder (never written to)
  > TEXT              send TEXT and a newline to standard input
  >> TEXT             send TEXT without a newline
  @wait REGEX         wait (up to TIMEOUT) until an output line matches REGEX
  @sleep SECONDS      pause (never to wait for output: @wait does that)
  @close              close standard input here (default: after the last line)
  @repeat N           the following lines up to @end, N times over (no @file
                      or @hexfile inside)
  < TEXT              an output line that must be exactly TEXT
  <re REGEX           an output line that must match REGEX in full
  <*                  any number of output lines (as few as possible)
  <...                the rest of the output, whatever it is
  <!re REGEX          no output line anywhere may match REGEX (checked apart
                      from the line-by-line match)
  <count N REGEX      exactly N output lines match REGEX (checked apart from
                      the line-by-line match)

The output, split at newlines, must match the expected lines from its first
line to its last. "{DATA}" in any line stands for the shared test-data folder,
"{NAME}" for the name the program announces (TalunBB or Talun). A line that
begins with "[bb]" or "[x88]" counts only for the programs of that board (the
bitboard programs TalunBB*, the 0x88 programs Talun and Talun-popcnt); where
the two boards differ (move order, slider mobility) a transcript gives both.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import threading
import time

# Seconds for each wait and for the program's exit after its input ends: room
# for a sanitizer build on a machine busy with other work, whose slowest
# transcripts take half a minute when the machine is idle.
TIMEOUT = 600


def program_name(program):
    """The announced name: the file name without the -popcnt suffix."""
    base = os.path.basename(program)
    return base[: -len("-popcnt")] if base.endswith("-popcnt") else base


def board_lines(lines, name):
    """Keeps the lines of this program's board and drops the board tags."""
    board = "bb" if name.startswith("TalunBB") else "x88"
    kept = []
    for line in lines:
        for tag in ("[bb]", "[x88]"):
            if line.startswith(tag):
                if tag != f"[{board}]":
                    break
                line = line[len(tag):]
        else:
            kept.append(line.replace("{NAME}", name))
    return kept


def expand_repeats(lines):
    """Replaces every @repeat N ... @end block by N copies of its lines."""
    out, i = [], 0
    while i < len(lines):
        if not lines[i].startswith("@repeat "):
            out.append(lines[i])
            i += 1
            continue
        count, body = int(lines[i][8:]), []
        i += 1
        while i < len(lines) and lines[i] != "@end":
            body.append(lines[i])
            i += 1
        if i == len(lines):
            raise SystemExit("@repeat without @end")
        i += 1
        out.extend(body * count)
    return out


def parse(path, data_dir, name="TalunBB"):
    steps, expected, files, args, env = [], [], {}, [], {}
    forbidden, counted, fifos = [], [], []
    with open(path, encoding="utf-8") as f:
        lines = expand_repeats(board_lines(f.read().split("\n"), name))
    if lines and lines[-1] == "":
        lines.pop()
    i = 0
    while i < len(lines):
        line = lines[i].replace("{DATA}", data_dir)
        i += 1
        if line.startswith("#") or line == "":
            continue
        if line.startswith("@file "):
            name, body = line[6:].strip(), []
            while i < len(lines) and lines[i] != "@end":
                body.append(lines[i].replace("{DATA}", data_dir))
                i += 1
            i += 1
            files[name] = "\n".join(body) + ("\n" if body else "")
        elif line.startswith("@hexfile "):
            name, body = line[9:].strip(), []
            while i < len(lines) and lines[i] != "@end":
                body.append("".join(lines[i].split()))
                i += 1
            i += 1
            files[name] = bytes.fromhex("".join(body))
        elif line.startswith("@args"):
            args = line[5:].split()
        elif line.startswith("@fifo "):
            fifos.append(line[6:].strip())
        elif line.startswith("@env "):
            k, v = line[5:].split("=", 1)
            env[k] = v
        elif line.startswith(">> "):
            steps.append(("send", line[3:]))
        elif line.startswith("> ") or line == ">":
            steps.append(("send", line[2:] + "\n"))
        elif line.startswith("@wait "):
            steps.append(("wait", re.compile(line[6:])))
        elif line.startswith("@sleep "):
            steps.append(("sleep", float(line[7:])))
        elif line == "@close":
            steps.append(("close", None))
        elif line == "<*":
            expected.append(("any", None))
        elif line == "<...":
            expected.append(("rest", None))
        elif line.startswith("<!re "):
            forbidden.append(re.compile(line[5:]))
        elif line.startswith("<count "):
            n, pattern = line[7:].split(" ", 1)
            counted.append((int(n), re.compile(pattern)))
        elif line.startswith("<re "):
            expected.append(("re", re.compile(line[4:])))
        elif line.startswith("< ") or line == "<":
            expected.append(("eq", line[2:]))
        else:
            raise SystemExit(f"{path}:{i}: cannot read transcript line: {line!r}")
    return steps, expected, files, args, env, forbidden, counted, fifos


def match(expected, got):
    """Backtracking match of expected patterns against all output lines."""
    memo = {}

    def m(e, g):
        key = (e, g)
        if key in memo:
            return memo[key]
        if e == len(expected):
            r = g == len(got)
        else:
            kind, val = expected[e]
            if kind == "rest":
                r = True
            elif kind == "any":
                r = any(m(e + 1, k) for k in range(g, len(got) + 1))
            elif g >= len(got):
                r = False
            elif kind == "eq":
                r = got[g] == val and m(e + 1, g + 1)
            else:
                r = val.fullmatch(got[g]) is not None and m(e + 1, g + 1)
        memo[key] = r
        return r

    sys.setrecursionlimit(100000)
    return m(0, 0)


def first_mismatch(expected, got):
    g = 0
    for e, (kind, val) in enumerate(expected):
        if kind in ("any", "rest"):
            return None
        if g >= len(got):
            return e, g, val, "<end of output>"
        ok = got[g] == val if kind == "eq" else val.fullmatch(got[g]) is not None
        if not ok:
            return e, g, val if kind == "eq" else val.pattern, got[g]
        g += 1
    return None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("program")
    ap.add_argument("transcript")
    ap.add_argument("--data", default=os.path.join(os.path.dirname(__file__), "../../../shared/data"))
    opts = ap.parse_args()
    data_dir = os.path.realpath(opts.data)
    steps, expected, files, args, env, forbidden, counted, fifos = parse(
        opts.transcript, data_dir, program_name(opts.program))

    with tempfile.TemporaryDirectory() as work:
        for name in fifos:
            os.mkfifo(os.path.join(work, name))
        for name, body in files.items():
            if isinstance(body, bytes):
                with open(os.path.join(work, name), "wb") as f:
                    f.write(body)
                continue
            with open(os.path.join(work, name), "w", encoding="utf-8") as f:
                f.write(body)
        penv = dict(os.environ)
        penv.update(env)
        proc = subprocess.Popen([os.path.realpath(opts.program)] + args, cwd=work,
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, env=penv)
        out_lines, cond = [], threading.Condition()
        partial = [b""]

        def reader():
            while True:
                chunk = proc.stdout.read1(65536)
                with cond:
                    if not chunk:
                        if partial[0]:
                            out_lines.append(partial[0].decode("utf-8", "replace"))
                            partial[0] = b""
                        cond.notify_all()
                        return
                    data = partial[0] + chunk
                    *done, partial[0] = data.split(b"\n")
                    out_lines.extend(d.decode("utf-8", "replace") for d in done)
                    cond.notify_all()

        t = threading.Thread(target=reader, daemon=True)
        t.start()
        err = []
        threading.Thread(target=lambda: err.append(proc.stderr.read()), daemon=True).start()
        seen = 0
        closed = False
        try:
            for kind, val in steps:
                if kind == "send":
                    proc.stdin.write(val.encode())
                    proc.stdin.flush()
                elif kind == "sleep":
                    time.sleep(val)
                elif kind == "close":
                    proc.stdin.close()
                    closed = True
                elif kind == "wait":
                    deadline = time.time() + TIMEOUT
                    with cond:
                        while True:
                            hit = next((k for k in range(seen, len(out_lines))
                                        if val.search(out_lines[k])), None)
                            if hit is not None:
                                seen = hit + 1
                                break
                            if time.time() > deadline or (not t.is_alive()):
                                raise SystemExit(f"timed out waiting for /{val.pattern}/\n"
                                                 + "\n".join(out_lines[-20:]))
                            cond.wait(1)
            if not closed:
                proc.stdin.close()
        except BrokenPipeError:
            pass
        try:
            proc.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            proc.kill()
            raise SystemExit("program did not exit\n" + "\n".join(out_lines[-20:]))
        t.join(5)

    got = out_lines
    if proc.returncode != 0:
        print(f"exit status {proc.returncode}")
        print("\n".join(got[-30:]))
        print(b"".join(err).decode("utf-8", "replace")[-3000:])
        return 1
    for pattern in forbidden:
        bad = next((line for line in got if pattern.search(line)), None)
        if bad is not None:
            print(f"output line {bad!r} matches the forbidden /{pattern.pattern}/")
            print("---- output ----")
            print("\n".join(got))
            return 1
    for n, pattern in counted:
        hits = sum(1 for line in got if pattern.search(line))
        if hits != n:
            print(f"{hits} output lines match /{pattern.pattern}/, expected {n}")
            print("---- output ----")
            print("\n".join(got[-60:]))
            return 1
    if not match(expected, got):
        print("output does not match the transcript")
        mm = first_mismatch(expected, got)
        if mm:
            print(f"expected line {mm[0] + 1}: {mm[2]!r}\n     got line {mm[1] + 1}: {mm[3]!r}")
        print("---- output ----")
        print("\n".join(got))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
