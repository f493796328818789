#!/usr/bin/env python3
"""Sums up a match that xboard saved as PGN, from torvane3's side.

Prints wins/draws/losses, an Elo difference with its 95 % margin, how the
games ended (time forfeits, illegal moves and crashes per side) and which
openings were played. Standard library only, so it runs wherever python3 does.

usage: match_pgn_stats.py GAMES.pgn [--engine-name torvane3]
           [--openings OPENINGS.pgn] [--xboard-log LOG --engine-path PATH]
           [--uci-log OPPONENT_POLYGLOT.log] [--engine-uci-log OUR_POLYGLOT.log]
"""

import argparse
import math
import re
import sys

RESULTS = ("1-0", "0-1", "1/2-1/2", "*")


def read_games(path):
    """Returns a list of (tags, movetext) pairs."""
    games, tags, moves = [], {}, []
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            m = re.match(r'^\[(\w+)\s+"(.*)"\]\s*$', line)
            if m:
                if moves:  # a tag after movetext starts the next game
                    games.append((tags, " ".join(moves)))
                    tags, moves = {}, []
                tags[m.group(1)] = m.group(2)
            elif line.strip():
                moves.append(line.strip())
    if tags or moves:
        games.append((tags, " ".join(moves)))
    return games


def result_comment(movetext):
    """xboard puts the reason for the result in the last comment before it."""
    m = re.search(r"\{([^{}]*)\}\s*(1-0|0-1|1/2-1/2|\*)\s*$", movetext)
    return m.group(1).strip() if m else ""


def san_moves(movetext):
    text = re.sub(r"\{[^{}]*\}", " ", movetext)
    text = re.sub(r"\([^()]*\)", " ", text)
    out = []
    for tok in text.split():
        tok = re.sub(r"^\d+\.(\.\.)?", "", tok)
        if tok and tok not in RESULTS and not tok.startswith("$"):
            out.append(tok)
    return out


def read_openings(path):
    return [(tags.get("Event", "?"), san_moves(moves)) for tags, moves in read_games(path)]


def opening_of(moves, openings):
    best = None
    for name, line in openings:
        if moves[: len(line)] == line and (best is None or len(line) > len(best[1])):
            best = (name, line)
    return best[0] if best else "(none)"


# Words in xboard's or polyglot's result comment, in the order they are tried.
ENDINGS = (
    (("illegal", "invalid move"), "illegal move"),
    (("on time", "flag fell"), "time forfeit"),
    (("checkmate", "mates"), "checkmate"),
    (("stalemate",), "stalemate"),
    (("repetition",), "repetition"),
    (("50-move", "fifty"), "50-move rule"),
    (("insufficient", "material"), "insufficient material"),
    (("resign",), "resignation"),
)


def ending_kind(comment):
    """Short class of how a game ended, from xboard's or polyglot's words."""
    c = comment.lower()
    for words, kind in ENDINGS:
        if any(w in c for w in words):
            return kind
    if "false" in c and "claim" in c:
        return "false claim"
    return comment or "(no reason given)"


def side_that_failed(comment, result):
    """'White' or 'Black' for a forfeit, from the words when they say it."""
    c = comment.lower()
    if re.search(r"white'?s flag fell|black wins on time|by white", c):
        return "White"
    if re.search(r"black'?s flag fell|white wins on time|by black", c):
        return "Black"
    return {"1-0": "Black", "0-1": "White"}.get(result)


def elo(p):
    return -400.0 * math.log10(1.0 / p - 1.0)


def signed(x):
    return f"{round(x) + 0:+d}"  # + 0 turns a -0 into 0


def elo_report(wins, draws, losses):
    """Logistic Elo from the score fraction; the margin is 1.96 standard errors
    of the per-game score (1, 1/2, 0), carried through the same curve."""
    n = wins + draws + losses
    if n == 0:
        return "Elo difference: no games"
    p = (wins + 0.5 * draws) / n
    if p <= 0.0 or p >= 1.0:
        # The curve is infinite there; the score with half a point moved gives
        # a finite bound, so a sweep still says how far apart the engines are.
        if p <= 0.0:
            return (f"Elo difference: -inf (0 % score has no finite Elo; "
                    f"at most {signed(elo(0.5 / n))}, the Elo of half a point in {n} games)")
        return (f"Elo difference: +inf (100 % score has no finite Elo; "
                f"at least {signed(elo(1 - 0.5 / n))}, the Elo of all but half a point in {n} games)")
    var = (wins * (1 - p) ** 2 + draws * (0.5 - p) ** 2 + losses * p ** 2) / n
    se = math.sqrt(var / n)
    lo, hi = p - 1.96 * se, p + 1.96 * se
    if lo <= 0.0 or hi >= 1.0:
        # Too few games: the interval runs off the curve on one side.
        lo_s = signed(elo(lo)) if lo > 0.0 else "-inf"
        hi_s = signed(elo(hi)) if hi < 1.0 else "+inf"
        return (f"Elo difference: {signed(elo(p))} (95 % interval {lo_s} .. {hi_s}; "
                f"too few games for a finite margin)")
    margin = (elo(hi) - elo(lo)) / 2
    return (f"Elo difference: {signed(elo(p))} +/- {round(margin)} (95 %; interval "
            f"{signed(elo(lo))} .. {signed(elo(hi))})")


def crashes(xboard_log, engine_path):
    """Engines that died: polyglot's pipex_exit names the UCI command,
    xboard names native engines 'first'/'second chess program'."""
    ours = theirs = 0
    try:
        with open(xboard_log, encoding="utf-8", errors="replace") as f:
            for line in f:
                if "pipex_exit" in line or "exited unexpectedly" in line:
                    if (engine_path and engine_path in line) or "first chess program" in line:
                        ours += 1
                    else:
                        theirs += 1
    except OSError:
        return None
    return ours, theirs


def note_option(line, sent):
    """Adds an option line the adapter sent to the engine, once each."""
    m = re.search(r"Adapter->Engine: (setoption name .*)$", line)
    if m and m.group(1) not in sent:
        sent.append(m.group(1))


def limit_check(uci_log):
    """Options the adapter really sent, and how often the engine's bestmove
    differed from the first move of its own last PV: a full-strength search
    always plays its PV move, a strength-limited one often does not."""
    sent, searches, other = [], 0, 0
    last_pv = None
    with open(uci_log, encoding="utf-8", errors="replace") as f:
        for line in f:
            note_option(line, sent)
            m = re.search(r"Engine->Adapter: info .* pv (\S+)", line)
            if m:
                last_pv = m.group(1)
            m = re.search(r"Engine->Adapter: bestmove (\S+)", line)
            if m:
                searches += 1
                if last_pv and m.group(1) != last_pv:
                    other += 1
                last_pv = None
    return sent, searches, other


def engine_session(uci_log):
    """What polyglot asked of torvane3 and what it said back: the options
    sent, the searches by kind, the largest node count a search ended with,
    and the engine's own messages (book lines aside), which in a game can
    only mean trouble such as a refused move."""
    sent, kinds, messages = [], {}, {}
    clocks = []  # each game's own clock at its last go, in ms
    position_white = True
    most_nodes, last_nodes = 0, 0
    last_depth_line = None
    shallow = []  # (depth, mate, time) of moves decided by a mate deeper than the iteration
    with open(uci_log, encoding="utf-8", errors="replace") as f:
        for line in f:
            note_option(line, sent)
            # xboard restarts the engine for every game, which begins with uci.
            if re.search(r"Adapter->Engine: uci\s*$", line):
                clocks.append(None)
            m = re.search(r"Adapter->Engine: position (startpos|fen \S+ ([wb]) .*?)(?: moves (.*))?$", line)
            if m:
                first_white = m.group(1) == "startpos" or m.group(2) == "w"
                played = len(m.group(3).split()) if m.group(3) else 0
                position_white = first_white == (played % 2 == 0)
            m = re.search(r"Adapter->Engine: go .*\bwtime (\d+) btime (\d+)", line)
            if m and clocks:
                clocks[-1] = int(m.group(1) if position_white else m.group(2))
            if "Engine->Adapter: info depth " in line:
                last_depth_line = line
            m = re.search(r"Adapter->Engine: (go|ponderhit|stop)\b(.*)$", line)
            if m:
                kind = "go ponder" if re.search(r"\bponder\b", m.group(2)) else m.group(1)
                kinds[kind] = kinds.get(kind, 0) + 1
            m = re.search(r"Engine->Adapter: info .*\bnodes (\d+)", line)
            if m:
                last_nodes = int(m.group(1))
            if "Engine->Adapter: bestmove" in line:
                most_nodes = max(most_nodes, last_nodes)
                last_nodes = 0
                m = last_depth_line and re.search(
                    r"info depth (\d+) .*score mate (\d+) .*time (\d+)", last_depth_line)
                if m and int(m.group(1)) < 2 * int(m.group(2)) - 1:
                    shallow.append(tuple(int(g) for g in m.groups()))
                last_depth_line = None
            m = re.search(r"Engine->Adapter: info string (.*)$", line)
            if m and not m.group(1).startswith("book line"):
                key = re.sub(r"'[^']*'", "'...'", m.group(1))
                messages[key] = messages.get(key, 0) + 1
    return sent, kinds, most_nodes, messages, shallow, [c for c in clocks if c is not None]


def best_own_score(movetext, colour):
    """The highest score torvane3 gave its own moves, in pawns, from the
    {+0.55/11 0.3} comments xboard writes after each engine move (scores are
    from the mover's side); None when the game has none."""
    best, white_to_move = None, True
    for tok in re.findall(r"\{[^{}]*\}|\d+\.(?:\.\.)?|[^\s{}]+", movetext):
        if tok.startswith("{"):
            m = re.match(r"\{([+-]?\d+\.\d+)/\d+", tok)
            mover = "Black" if white_to_move else "White"  # the move before the comment
            if m and mover == colour:
                v = float(m.group(1))
                best = v if best is None else max(best, v)
        elif not re.match(r"\d+\.", tok) and tok not in RESULTS:
            white_to_move = not white_to_move
    return best


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("pgn")
    ap.add_argument("--engine-name", default="torvane3")
    ap.add_argument("--openings")
    ap.add_argument("--xboard-log")
    ap.add_argument("--engine-path", default="")
    ap.add_argument("--uci-log")
    ap.add_argument("--engine-uci-log")
    a = ap.parse_args()

    games = read_games(a.pgn)
    openings = read_openings(a.openings) if a.openings else []
    me = a.engine_name.lower()

    w = d = l = 0
    by_colour = {"White": [0, 0, 0], "Black": [0, 0, 0]}
    time_loss = {"ours": 0, "theirs": 0}
    illegal = {"ours": 0, "theirs": 0}
    endings, used_openings, unfinished, plies = {}, {}, 0, []
    drawn_ahead = 0  # draws from a position torvane3 had scored at +1.00 or better
    drawn_mate = 0  # draws after torvane3 announced a mate (xboard shows it as +1000.NN)
    opponent = "?"
    lines = []
    for i, (tags, moves) in enumerate(games, 1):
        white, black = tags.get("White", "?"), tags.get("Black", "?")
        if me in white.lower():
            colour, opponent = "White", black
        elif me in black.lower():
            colour, opponent = "Black", white
        else:
            print(f"game {i}: {white} vs {black} has no {a.engine_name}; skipped", file=sys.stderr)
            continue
        result = tags.get("Result", "*")
        comment = result_comment(moves)
        sans = san_moves(moves)
        plies.append(len(sans))
        name = opening_of(sans, openings) if openings else ""
        used_openings[name] = used_openings.get(name, 0) + 1
        kind = ending_kind(comment)
        endings[kind] = endings.get(kind, 0) + 1
        if result == "*":
            unfinished += 1
            lines.append(f"{i:3d}  {colour:5s}  *        unfinished: {comment}")
            continue
        won = (result == "1-0") == (colour == "White") and result != "1/2-1/2"
        score = "1/2" if result == "1/2-1/2" else ("1" if won else "0")
        k = 1 if score == "1/2" else (0 if won else 2)
        if k == 0:
            w += 1
        elif k == 1:
            d += 1
        else:
            l += 1
        by_colour[colour][k] += 1
        if k == 1 and (best_own_score(moves, colour) or 0) >= 1.0:
            drawn_ahead += 1
        if k == 1 and (best_own_score(moves, colour) or 0) >= 1000.0:
            drawn_mate += 1
        if kind in ("time forfeit", "illegal move"):
            who = "ours" if side_that_failed(comment, result) == colour else "theirs"
            (time_loss if kind == "time forfeit" else illegal)[who] += 1
        lines.append(f"{i:3d}  {colour:5s}  {score:3s}  {len(sans):4d} plies  "
                     f"{name[:28]:28s}  {comment}")

    n = w + d + l
    out = []
    out.append(f"{a.engine_name} vs {opponent}: {len(games)} games in the PGN"
               + (f", {unfinished} unfinished" if unfinished else ""))
    out.append("")
    out.append("  #  {:5s}  pts  length       opening                       how it ended".format(a.engine_name[:5]))
    out.extend(lines)
    out.append("")
    if n:
        pts = w + 0.5 * d
        out.append(f"Score for {a.engine_name}: +{w} ={d} -{l}   {pts:g}/{n} = {100 * pts / n:.1f} %")
        for c in ("White", "Black"):
            cw, cd, cl = by_colour[c]
            out.append(f"  as {c.lower():5s}: +{cw} ={cd} -{cl}")
    out.append(elo_report(w, d, l))
    out.append(f"Draws after {a.engine_name} had scored +1.00 or better: {drawn_ahead} of {d}")
    out.append(f"Draws after {a.engine_name} had announced a mate: {drawn_mate} of {d}")
    out.append(f"Lost on time:   {a.engine_name} {time_loss['ours']}, {opponent} {time_loss['theirs']}")
    out.append(f"Illegal moves:  {a.engine_name} {illegal['ours']}, {opponent} {illegal['theirs']}")
    if a.xboard_log:
        c = crashes(a.xboard_log, a.engine_path)
        if c is not None:
            out.append(f"Engine crashes: {a.engine_name} {c[0]}, {opponent} {c[1]}"
                       "  (xboard scores a crashed game as lost on time)")
    out.append("Endings:        " + ", ".join(f"{k} {v}" for k, v in sorted(endings.items(), key=lambda x: -x[1])))
    if plies:
        out.append(f"Game length:    {sum(plies) / len(plies):.0f} plies on average")
    if openings:
        out.append(f"Openings:       {len([k for k in used_openings if k != '(none)'])} different"
                   + (f", {used_openings['(none)']} games matched none" if "(none)" in used_openings else ""))
    if a.engine_uci_log:
        try:
            sent, kinds, most, messages, shallow, clocks = engine_session(a.engine_uci_log)
            out.append(f"{a.engine_name}'s options as sent: "
                       + ("; ".join(s[len("setoption name "):] for s in sent) or "none"))
            out.append(f"{a.engine_name}'s searches: " + ", ".join(f"{k} {v}" for k, v in sorted(kinds.items()))
                       + f"; the largest node count at a bestmove {most}")
            quick = sum(1 for _, _, t in shallow if t < 10)
            out.append(f"{a.engine_name}'s moves decided by a mate deeper than its iteration: "
                       f"{len(shallow)} ({quick} of them in under 10 ms)")
            if clocks:
                c = sorted(clocks)
                out.append(f"{a.engine_name}'s own clock at its last move of a game: median "
                           f"{c[len(c) // 2] / 1000:.2f} s (least {c[0] / 1000:.2f} s, most "
                           f"{c[-1] / 1000:.2f} s, {len(c)} games)")
            out.append(f"{a.engine_name}'s messages: "
                       + ("; ".join(f"{k} ({v})" for k, v in messages.items()) or "none"))
        except OSError:
            pass
    if a.uci_log:
        try:
            sent, searches, other = limit_check(a.uci_log)
            out.append("Opponent's options as sent: " + ("; ".join(s[len("setoption name "):] for s in sent) or "none")
                       + " (polyglot leaves out those at their default)")
            if searches:
                out.append(f"Opponent's bestmove differed from its own PV move in {other} of {searches} searches")
        except OSError:
            pass
    print("\n".join(out))


if __name__ == "__main__":
    main()
