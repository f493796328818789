#!/usr/bin/env python3
"""Runs a tactical suite on one or more UCI engines, paired in one run.

Each position of the suite is given to every engine in turn, in an order that
alternates from one position to the next, so that a busy machine slows them
alike. An engine solves a position when its bestmove is one of the position's
best moves. Prints each engine's count, the positions that only some solved,
and the paired difference with its 95 % margin.

The suite is a tab-separated file as tests/data/wac.tsv holds it: id, FEN
(four fields), the best moves in SAN, the best moves in UCI notation.

usage: tactics.py SUITE.tsv ENGINE [ENGINE ...] [--movetime MS | --nodes N]
           [--first K] [--hash MIB]
Standard library only.
"""

import argparse
import math
import os
import subprocess
import sys


class Engine:
    def __init__(self, path, hash_mib):
        self.path = path
        self.proc = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     text=True, bufsize=1,
                                     cwd=os.path.dirname(os.path.abspath(path)))
        self.send("uci")
        self.wait_for("uciok")
        self.send(f"setoption name Hash value {hash_mib}")
        self.send("setoption name OwnBook value false")
        self.send("isready")
        self.wait_for("readyok")

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def wait_for(self, prefix):
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError(f"{self.path} ended before '{prefix}'")
            if line.startswith(prefix):
                return line.strip()

    def best(self, fen, go):
        self.send("ucinewgame")
        self.send("isready")
        self.wait_for("readyok")
        self.send(f"position fen {fen} 0 1")
        self.send(go)
        return self.wait_for("bestmove").split()[1]

    def close(self):
        try:
            self.send("quit")
            self.proc.wait(timeout=10)
        except Exception:
            self.proc.kill()


def read_suite(path):
    suite = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            if not line.strip() or line.startswith("#"):
                continue
            ident, fen, _san, uci = line.rstrip("\n").split("\t")
            suite.append((ident, fen, uci.split()))
    return suite


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("suite")
    ap.add_argument("engines", nargs="+")
    limit = ap.add_mutually_exclusive_group()
    limit.add_argument("--movetime", type=int, default=300)
    limit.add_argument("--nodes", type=int)
    ap.add_argument("--first", type=int, help="only the first K positions")
    ap.add_argument("--hash", type=int, default=64)
    args = ap.parse_args()

    go = f"go nodes {args.nodes}" if args.nodes else f"go movetime {args.movetime}"
    suite = read_suite(args.suite)[: args.first]
    engines = [Engine(p, args.hash) for p in args.engines]
    solved = [[False] * len(suite) for _ in engines]
    try:
        for i, (ident, fen, best) in enumerate(suite):
            order = range(len(engines)) if i % 2 == 0 else reversed(range(len(engines)))
            for e in order:
                solved[e][i] = engines[e].best(fen, go) in best
    finally:
        for e in engines:
            e.close()

    print(f"{len(suite)} positions, {go}")
    for e, path in enumerate(args.engines):
        print(f"  {sum(solved[e]):4d}  {path}")
    differ = [ident for i, (ident, _f, _b) in enumerate(suite)
              if len({solved[e][i] for e in range(len(engines))}) > 1]
    if differ:
        print("solved by some only: " + " ".join(
            ident + "(" + "".join("+" if solved[e][i] else "-" for e in range(len(engines))) + ")"
            for i, (ident, _f, _b) in enumerate(suite) if ident in differ))
    if len(engines) == 2 and suite:
        d = [int(a) - int(b) for a, b in zip(solved[0], solved[1])]
        n = len(d)
        mean = sum(d) / n
        sd = math.sqrt(sum((x - mean) ** 2 for x in d) / (n - 1)) if n > 1 else 0.0
        print(f"first minus second: {sum(d):+d} positions, 95 % margin +-{1.96 * sd * math.sqrt(n):.1f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
