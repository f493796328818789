// Checks of the match runner (tools/sprt), run by run.sh beside chess.js and
// the runner's lib.mjs:
//   node check.mjs math                       the SPRT and Elo arithmetic, the openings
//   node check.mjs games DIR BOOK N           a finished self-play match in DIR
//   node check.mjs faults DIR                 the match against fake-engine.mjs's faults
//   node check.mjs stop DIR MAX               a match the SPRT stops before MAX games
// Exit status 0 when every check held; each failure is printed.
import fs from 'node:fs';
import path from 'node:path';
import { Chess } from 'chess.js';
import { buildOpenings, eloInterval, shuffle, sprtBounds, sprtLLR } from './lib.mjs';

let failures = 0;
function check(ok, what) {
  if (!ok) {
    failures++;
    console.error(`FAIL: ${what}`);
  }
}
const near = (got, want, tol, what) => check(Math.abs(got - want) <= tol, `${what}: ${got}, want ${want}`);

// ---- the arithmetic, against values worked out by hand (bc -l) -----------------

function math() {
  // W-D-L 60-30-10: w = .6, d = .3, l = .1, s = .6 + .15 = .75,
  // var = .6 + .3/4 - .75^2 = .1125 (a Bernoulli s(1-s) = .1875 would be
  // wrong: draws spread less), var/N = .001125.
  const e = eloInterval(60, 30, 10);
  // Elo = -400 log10(1/.75 - 1) = 190.848501888; se = sqrt(.001125) =
  // .033541019662, s -+ 1.96 se = .684259601462, .815740398538
  // -> 134.356298915, 258.448737301.
  near(e.elo, 190.848501888, 1e-6, 'Elo of 60-30-10');
  near(e.low, 134.356298915, 1e-6, 'lower Elo bound of 60-30-10');
  near(e.high, 258.448737301, 1e-6, 'upper Elo bound of 60-30-10');
  // The LLR counts half a game more of each result: 60.5-30.5-10.5, N = 101.5,
  // s = (60.5 + 15.25)/101.5, var = (60.5 + 7.625)/101.5 - s^2;
  // s0 = 1/(1+10^0) = .5, s1 = 1/(1+10^(-5/400)) = .507195081709;
  // LLR = (s1-s0)(2s-s0-s1)/(2 var/N) = 1.551956907718 (bc -l).
  near(sprtLLR(60, 30, 10, 0, 5), 1.551956907718, 1e-9, 'LLR of 60-30-10 for [0, 5]');

  // An even score is evidence for H0: 20.5-60.5-20.5, s = .5,
  // LLR = .007195081709 * (1 - 1.007195081709) / (2 var/N) = -.026016548729.
  near(sprtLLR(20, 60, 20, 0, 5), -0.026016548729, 1e-9, 'LLR of 20-60-20 for [0, 5]');
  // se = sqrt(.001) = .0316227766, s + 1.96 se = .561980642139 -> 43.2912208175.
  const even = eloInterval(20, 60, 20);
  near(even.elo, 0, 1e-9, 'Elo of 20-60-20');
  near(even.high, 43.2912208175, 1e-6, 'upper Elo bound of 20-60-20');
  near(even.low, -43.2912208175, 1e-6, 'lower Elo bound of 20-60-20');

  // Bounds off zero: s0 = .492804918291 (Elo -5), s1 = .514387184166 (Elo 10);
  // 45.5-30.5-25.5 gives 1.258974751232.
  near(sprtLLR(45, 30, 25, -5, 10), 1.258974751232, 1e-9, 'LLR of 45-30-25 for [-5, 10]');

  // Nothing but wins: the half games keep the spread from vanishing, so two
  // wins prove nothing (.053556891504), ten not yet (.712208383166), and 22
  // accept [0, 5] where 21 do not (3.070612071054 and 2.811223291352).
  near(sprtLLR(2, 0, 0, 0, 5), 0.053556891504, 1e-9, 'LLR of 2-0-0 for [0, 5]');
  near(sprtLLR(10, 0, 0, 0, 5), 0.712208383166, 1e-9, 'LLR of 10-0-0 for [0, 5]');
  near(sprtLLR(21, 0, 0, 0, 5), 2.811223291352, 1e-9, 'LLR of 21-0-0 for [0, 5]');
  near(sprtLLR(22, 0, 0, 0, 5), 3.070612071054, 1e-9, 'LLR of 22-0-0 for [0, 5]');
  near(sprtLLR(0, 0, 30, 0, 5), -5.641769580215, 1e-9, 'LLR of 0-0-30 for [0, 5]');

  // ln(.05/.95) = -2.944438979, and the upper bound its opposite.
  const b = sprtBounds(0.05, 0.05);
  near(b.lower, -2.944438979166, 1e-9, 'lower LLR bound');
  near(b.upper, 2.944438979166, 1e-9, 'upper LLR bound');

  // The openings of a small book at 4 plies: a line too short, one that
  // shares its first 4 plies with another, one with an illegal move (E2E5),
  // and one that ends in mate (no game left to play) are left out.
  const tiny = [
    'E2E4E7E5G1F3B8C6',
    'E2E4E7E5G1F3B8C6F1B5',
    'E2E4E7E5',
    'E2E5E7E5G1F3B8C6',
    'F2F3E7E5G2G4D8H4',
    'D2D4D7D5C2C4E7E6',
    'G1F3G8F6G2G3G7G6',
  ].join('\n');
  const built = buildOpenings(tiny, 4, 7, Chess);
  const got = built.openings.map((o) => o.join(' ')).sort();
  check(JSON.stringify(got) === JSON.stringify(['d2d4 d7d5 c2c4 e7e6', 'e2e4 e7e5 g1f3 b8c6', 'g1f3 g8f6 g2g3 g7g6']),
    `openings of the small book: ${JSON.stringify(got)}`);
  check(built.short === 1 && built.illegal === 2, `left out: ${built.short} short, ${built.illegal} not legal`);
  const again = buildOpenings(tiny, 4, 7, Chess).openings.map((o) => o.join(' '));
  check(JSON.stringify(again) === JSON.stringify(built.openings.map((o) => o.join(' '))), 'same seed, another order');

  // The shuffle: a permutation, the same for a seed, another for another seed.
  const items = Array.from({ length: 20 }, (_, i) => i);
  const one = shuffle(items, 1);
  check(JSON.stringify([...one].sort((x, y) => x - y)) === JSON.stringify(items), 'the shuffle is no permutation');
  check(JSON.stringify(shuffle(items, 1)) === JSON.stringify(one), 'seed 1 shuffles two ways');
  check(JSON.stringify(shuffle(items, 2)) !== JSON.stringify(one), 'seeds 1 and 2 shuffle alike');
  check(JSON.stringify(one) !== JSON.stringify(items), 'seed 1 leaves the order as it was');
}

// ---- a match's files ------------------------------------------------------------

function readSummary(dir) {
  const text = fs.readFileSync(path.join(dir, 'summary.txt'), 'utf8');
  const field = (name) => {
    const m = new RegExp(`^${name}: (.*)$`, 'm').exec(text);
    check(m, `summary.txt has no '${name}:' line`);
    return m ? m[1] : '';
  };
  const [w, d, l] = field('W-D-L').split('-').map(Number);
  const tally = {};
  for (const m of text.matchAll(/^ {2}((?:A|B) wins by [a-z ]+|draws by [a-z ]+): (\d+)$/gm)) tally[m[1]] = Number(m[2]);
  return { text, games: Number(field('Games')), w, d, l, verdict: field('Verdict'), tally };
}

// Every game of games.pgn replayed by chess.js: each move legal, none played
// after the game was over, and a game ended by the rules ended as its tag says.
function readGames(dir) {
  const text = fs.readFileSync(path.join(dir, 'games.pgn'), 'utf8');
  const chunks = text.split(/^(?=\[Event )/m).filter((c) => c.trim());
  const games = [];
  for (const chunk of chunks) {
    const pgn = new Chess();
    try {
      pgn.loadPgn(chunk);
    } catch (err) {
      check(false, `chess.js cannot read a game: ${err.message}\n${chunk}`);
      continue;
    }
    const tags = pgn.getHeaders();
    const pos = tags.FEN ? new Chess(tags.FEN) : new Chess();
    for (const m of pgn.history({ verbose: true })) {
      check(!pos.isGameOver(), `round ${tags.Round}: ${m.san} played after the game was over`);
      pos.move(m);
    }
    const over = {
      checkmate: pos.isCheckmate() && tags.Result === (pos.turn() === 'w' ? '0-1' : '1-0'),
      stalemate: pos.isStalemate() && tags.Result === '1/2-1/2',
      'insufficient material': pos.isInsufficientMaterial() && tags.Result === '1/2-1/2',
      'threefold repetition': pos.isThreefoldRepetition() && tags.Result === '1/2-1/2',
      'fifty-move rule': pos.isDrawByFiftyMoves() && tags.Result === '1/2-1/2',
    };
    if (tags.Termination in over)
      check(over[tags.Termination], `round ${tags.Round}: ${tags.Termination} ${tags.Result} is not how ${pos.fen()} stands`);
    games.push({ tags, moves: pgn.history({ verbose: true }) });
  }
  return games.sort((x, y) => Number(x.tags.Round) - Number(y.tags.Round));
}

const reasonOf = {
  checkmate: 'mate', 'time forfeit': 'time', 'illegal move': 'illegal move', crash: 'crash', 'no answer': 'no answer',
  'threefold repetition': 'repetition', 'fifty-move rule': 'fifty moves', stalemate: 'stalemate',
  'insufficient material': 'insufficient material', adjudication: 'adjudication',
};

// W-D-L and the endings as the PGN has them, against the summary's.
function checkTotals(games, summary, aName) {
  const wdl = { w: 0, d: 0, l: 0 };
  const tally = {};
  for (const { tags } of games) {
    const aWhite = tags.White === aName;
    check(aWhite || tags.Black === aName, `round ${tags.Round}: A (${aName}) plays neither side`);
    const key = tags.Result === '1/2-1/2' ? 'd' : (tags.Result === '1-0') === aWhite ? 'w' : 'l';
    wdl[key]++;
    const line = key === 'd' ? `draws by ${reasonOf[tags.Termination]}` : `${key === 'w' ? 'A' : 'B'} wins by ${reasonOf[tags.Termination]}`;
    tally[line] = (tally[line] || 0) + 1;
  }
  check(summary.games === games.length, `summary: ${summary.games} games, the PGN ${games.length}`);
  check(summary.w + summary.d + summary.l === summary.games, `W-D-L ${summary.w}-${summary.d}-${summary.l} is not ${summary.games} games`);
  check(summary.w === wdl.w && summary.d === wdl.d && summary.l === wdl.l,
    `summary W-D-L ${summary.w}-${summary.d}-${summary.l}, the PGN's ${wdl.w}-${wdl.d}-${wdl.l}`);
  for (const line of new Set([...Object.keys(tally), ...Object.keys(summary.tally)]))
    check((summary.tally[line] ?? -1) === (tally[line] || 0), `summary '${line}: ${summary.tally[line]}', the PGN ${tally[line] || 0}`);
}

const uciOf = (m) => (m.from + m.to).toUpperCase();

function games(dir, bookFile, n) {
  const summary = readSummary(dir);
  const all = readGames(dir);
  check(all.length === n, `${all.length} games in games.pgn, want ${n}`);
  check(all.map((g) => g.tags.Round).join() === Array.from({ length: n }, (_, i) => i + 1).join(), 'rounds are not 1 to N');
  const natural = new Set(['checkmate', 'stalemate', 'insufficient material', 'threefold repetition', 'fifty-move rule']);
  for (const { tags } of all) check(natural.has(tags.Termination), `round ${tags.Round} ended by ${tags.Termination}`);
  checkTotals(all, summary, 'new');
  // A pair: one opening of 8 plies from the book, colours swapped.
  const book = fs.readFileSync(bookFile, 'utf8').split(/\r?\n/);
  const openings = new Set();
  for (let i = 0; i + 1 < all.length; i += 2) {
    const [g1, g2] = [all[i], all[i + 1]];
    const o1 = g1.moves.slice(0, 8).map(uciOf).join('');
    const o2 = g2.moves.slice(0, 8).map(uciOf).join('');
    check(o1 === o2, `rounds ${g1.tags.Round} and ${g2.tags.Round} open ${o1} and ${o2}`);
    check(book.some((l) => l.startsWith(o1)), `opening ${o1} is in no book line`);
    check(g1.tags.White === g2.tags.Black && g1.tags.Black === g2.tags.White, `round ${g2.tags.Round} keeps the colours`);
    openings.add(o1);
  }
  check(openings.size === Math.floor(all.length / 2), 'two pairs share an opening');
  // What each engine was told: one thread, 16 MiB, its own book off, the nodes.
  for (const role of ['A-1', 'B-2']) {
    const log = fs.readFileSync(path.join(dir, 'logs', `${role}.log`), 'utf8');
    for (const line of ['setoption name Threads value 1', 'setoption name Hash value 16',
      'setoption name OwnBook value false', 'ucinewgame', 'go nodes 2000'])
      check(log.includes(`> ${line}\n`), `logs/${role}.log has no '${line}'`);
  }
}

function faults(dir) {
  const summary = readSummary(dir);
  const all = readGames(dir);
  const want = ['illegal move', 'crash', 'no answer', 'time forfeit'];
  check(all.map((g) => g.tags.Termination).join() === want.join(),
    `endings ${all.map((g) => g.tags.Termination).join()}, want ${want.join()}`);
  checkTotals(all, summary, 'new');
  check(summary.w === 4, `A won ${summary.w} of the fake's 4 faults`);
  // Started for game 1, again after its end in game 2 and its silence in game 3.
  const log = fs.readFileSync(path.join(dir, 'logs', 'B-1.log'), 'utf8');
  check(/ start 3: /.test(log) && !/ start 4: /.test(log), 'the fake was not started exactly three times');
  check(/illegal move 'a1a1'/.test(summary.text), 'the illegal move is not reported');
}

function stop(dir, max) {
  const summary = readSummary(dir);
  const all = readGames(dir);
  checkTotals(all, summary, 'new');
  check(summary.verdict.startsWith('H1 accepted'), `verdict: ${summary.verdict}`);
  check(summary.games < max && summary.games % 2 === 0, `${summary.games} games: not an early stop after a pair`);
}

// Positions instead of openings: each played once, in the file's order, from
// its FEN, with A on the move; A, a real engine, mates the fake in each.
function fens(dir, file) {
  const summary = readSummary(dir);
  const all = readGames(dir);
  checkTotals(all, summary, 'new');
  const want = fs.readFileSync(file, 'utf8').split('\n').map((l) => l.trim()).filter((l) => l && !l.startsWith('#'));
  check(all.length === want.length, `${all.length} games from ${want.length} positions`);
  all.forEach(({ tags }, i) => {
    check(tags.SetUp === '1' && tags.FEN === new Chess(want[i]).fen(), `round ${tags.Round}: FEN ${tags.FEN}, want ${want[i]}`);
    const aToMove = want[i].split(' ')[1] === 'w' ? tags.White : tags.Black;
    check(aToMove === 'new', `round ${tags.Round}: ${aToMove} is on the move, not A`);
    check(tags.Termination === 'checkmate' && summary.tally['A wins by mate'] === want.length,
      `round ${tags.Round}: ${tags.Termination} ${tags.Result}, not A's mate`);
  });
}

const [mode, ...rest] = process.argv.slice(2);
if (mode === 'math') math();
else if (mode === 'games') games(rest[0], rest[1], Number(rest[2]));
else if (mode === 'faults') faults(rest[0]);
else if (mode === 'stop') stop(rest[0], Number(rest[1]));
else if (mode === 'fens') fens(rest[0], rest[1]);
else {
  console.error('usage: node check.mjs math | games DIR BOOK N | faults DIR | stop DIR MAX | fens DIR FILE');
  process.exit(2);
}
if (failures) process.exit(1);
console.log(`${mode}: all checks held`);
