// Drives torvane3-uci through node-uci, a UCI client library from npm that
// shares no code with the engine, the way a GUI built on it would, and checks
// with chess.js what the engine decided:
//   game      a game of the engine against itself on a clock with Ponder on
//   multipv   three distinct legal lines from a middlegame position
//   book      the move of a book.txt in the engine's working folder
//   infinite  a go sent while go infinite runs gets its own bestmove
//   info      every info line with a pv carries a depth and a score
//
// usage: node nodeuci.mjs ENGINE
// Exit status 0 when every check held, 1 otherwise.
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { Engine } from 'node-uci';
import { Chess } from 'chess.js';

const enginePath = process.argv[2];
if (!enginePath) {
  console.error('usage: node nodeuci.mjs ENGINE');
  process.exit(2);
}

const CLOCK = { wtime: 3000, btime: 3000, winc: 100, binc: 100 };
const MAX_PLIES = 40;

class CheckError extends Error {}
function must(cond, what) {
  if (!cond) throw new CheckError(what);
}

// node-uci waits for ever on an answer that never comes: a hang is a failure
// with a name here, not a CTest time-out.
function within(ms, promise, what) {
  let timer;
  const late = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new CheckError(`no answer within ${ms} ms: ${what}`)), ms);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

async function waitFor(cond, ms, what) {
  const deadline = Date.now() + ms;
  while (!cond()) {
    if (Date.now() > deadline) throw new CheckError(`not within ${ms} ms: ${what}`);
    await new Promise((r) => setTimeout(r, 20));
  }
}

// ---- the engines ----------------------------------------------------------------

const rawLines = [];    // every line any engine wrote, for the info check
const parsedInfos = []; // every info node-uci parsed out of a go's answer
let engines = [];       // those of the check that runs

// node-uci spawns in the current folder, so the book check moves there for
// the start alone.
async function startEngine(name, cwd) {
  const e = new Engine(enginePath);
  e.label = name;
  e.lines = [];
  engines.push(e);
  const home = process.cwd();
  if (cwd) process.chdir(cwd);
  let ready;
  try {
    ready = e.init();
  } finally {
    process.chdir(home);
  }
  await within(10000, ready, `${name}: uci`);
  // Our own copy of the lines, split as lines: node-uci's info events are cut
  // where the pipe's chunks end, so they are not what is judged.
  let pending = '';
  e.proc.stdout.on('data', (d) => {
    pending += d;
    let nl;
    while ((nl = pending.indexOf('\n')) >= 0) {
      const line = pending.slice(0, nl).trim();
      pending = pending.slice(nl + 1);
      e.lines.push(line);
      rawLines.push(line);
    }
  });
  await within(10000, e.isready(), `${name}: isready`);
  return e;
}

async function go(e, options, what) {
  const r = await within(20000, e.go(options), `${e.label}: ${what}`);
  parsedInfos.push(...r.info);
  return r;
}

// ---- chess.js ---------------------------------------------------------------------

// Plays a UCI move text on chess; false where it is not a legal move there.
function play(chess, uci) {
  if (typeof uci !== 'string' || !/^[a-h][1-8][a-h][1-8][qrbn]?$/.test(uci)) return false;
  try {
    chess.move({ from: uci.slice(0, 2), to: uci.slice(2, 4), promotion: uci[4] });
    return true;
  } catch {
    return false;
  }
}

const legalAt = (fen, uci) => play(new Chess(fen), uci);

// The first move of the line that is not legal where it stands, or null.
function illegalInLine(fen, pv) {
  const chess = new Chess(fen);
  for (const m of pv.trim().split(/\s+/)) if (!play(chess, m)) return m;
  return null;
}

// ---- the checks ---------------------------------------------------------------------

// Two engines play each other as a GUI would have them: each ponders on the
// reply it expects, and hears ponderhit when that reply is played, else stop.
async function checkGame() {
  const side = { w: await startEngine('white'), b: await startEngine('black') };
  for (const e of Object.values(side)) {
    await within(10000, e.setoption('Ponder', 'true'), 'setoption Ponder');
    await within(10000, e.ucinewgame(), 'ucinewgame');
  }
  const clock = { w: CLOCK.wtime, b: CLOCK.btime };
  const clockNow = () => ({ wtime: clock.w, btime: clock.b, winc: CLOCK.winc, binc: CLOCK.binc });
  const pondering = { w: null, b: null };
  const chess = new Chess();
  const moves = [];
  let ponders = 0, hits = 0, stops = 0;

  // A stopped ponder search answers for the position it pondered.
  async function stopPonder(c) {
    const p = pondering[c];
    pondering[c] = null;
    side[c].write('stop');
    const r = await within(20000, p.answer, `${side[c].label}: bestmove after stop`);
    parsedInfos.push(...r.info);
    must(legalAt(p.fen, r.bestmove), `${side[c].label}: bestmove ${r.bestmove} after stop is not legal in the pondered ${p.fen}`);
    ++stops;
  }

  while (!chess.isGameOver() && moves.length < MAX_PLIES) {
    const c = chess.turn();
    const e = side[c];
    let r, since;
    if (pondering[c] && pondering[c].move === moves[moves.length - 1]) {
      const p = pondering[c];
      pondering[c] = null;
      since = Date.now();
      // node-uci's ponderhit() adds an isready whose readyok can share a chunk
      // with the bestmove and hide it from the go that waits for it.
      e.write('ponderhit');
      r = await within(20000, p.answer, `${e.label}: bestmove after ponderhit`);
      parsedInfos.push(...r.info);
      ++hits;
    } else {
      if (pondering[c]) await stopPonder(c);
      await within(10000, e.position('startpos', moves), 'position');
      since = Date.now();
      r = await go(e, clockNow(), `ply ${moves.length + 1}`);
    }
    // The clock is only what the engine is told; a slow machine is no fault.
    clock[c] = Math.max(100, clock[c] - (Date.now() - since)) + CLOCK.winc;
    const fen = chess.fen();
    must(play(chess, r.bestmove), `${e.label}, ply ${moves.length + 1}: bestmove ${r.bestmove} is not legal in ${fen}`);
    moves.push(r.bestmove);
    if (!r.ponder) continue;
    const after = new Chess(chess.fen());
    must(play(after, r.ponder), `${e.label}: ponder move ${r.ponder} is not legal after ${r.bestmove} in ${chess.fen()}`);
    if (after.isGameOver() || moves.length + 1 >= MAX_PLIES) continue;
    await within(10000, e.position('startpos', [...moves, r.ponder]), 'position to ponder');
    const answer = e.go({ ponder: true, ...clockNow() });
    answer.catch(() => {}); // awaited at ponderhit or stop
    pondering[c] = { move: r.ponder, fen: after.fen(), answer };
    ++ponders;
  }
  for (const c of ['w', 'b']) if (pondering[c]) await stopPonder(c);
  for (const e of Object.values(side)) await within(10000, e.quit(), `${e.label}: quit`);
  must(ponders > 0, 'no ponder search in the whole game: no bestmove came with a ponder move');
  const end = chess.isCheckmate() ? 'mate' : chess.isDraw() ? 'draw' : `${MAX_PLIES} plies`;
  return `${moves.length} legal plies, ended by ${end}; ${ponders} ponder searches, ${hits} ponderhits, ${stops} stops`;
}

// A closed Ruy Lopez after 9.h3, Black to move.
const MIDDLEGAME = 'r1bq1rk1/2p1bppp/p1np1n2/1p2p3/4P3/1BP2N1P/PP1P1PP1/RNBQR1K1 b - - 0 9';

async function checkMultiPv() {
  const e = await startEngine('multipv');
  await within(10000, e.setoption('MultiPV', 3), 'setoption MultiPV');
  await within(10000, e.position(MIDDLEGAME), 'position');
  const r = await go(e, { depth: 8 }, 'go depth 8');
  const lines = r.info.filter((i) => i.pv && i.multipv);
  must(lines.length > 0, 'no line with multipv and pv');
  const deepest = Math.max(...lines.map((i) => i.depth));
  const last = new Map();
  for (const i of lines) if (i.depth === deepest) last.set(i.multipv, i.pv);
  must([...last.keys()].sort().join() === '1,2,3', `depth ${deepest} shows lines ${[...last.keys()].sort()}, not 1,2,3`);
  const pvs = [1, 2, 3].map((k) => last.get(k));
  const firsts = pvs.map((pv) => pv.split(/\s+/)[0]);
  must(new Set(firsts).size === 3, `the three lines do not start with three moves: ${firsts}`);
  for (const pv of pvs) {
    const bad = illegalInLine(MIDDLEGAME, pv);
    must(bad === null, `line '${pv}': ${bad} is not legal where it stands`);
  }
  must(r.bestmove === firsts[0], `bestmove ${r.bestmove} is not the first line's ${firsts[0]}`);
  await within(10000, e.quit(), 'quit');
  return `depth ${deepest}: ${firsts.join(', ')}`;
}

// Na3 and ...h5 are no search's choice: only the book plays them.
const BOOK = 'E2E4E7E5G1F3B8C6\nB1A3H7H5\n';
const BOOK_ROWS = [
  { moves: ['b1a3'], book: 'h7h5' },
  { moves: ['e2e4', 'e7e5'], book: 'g1f3' },
];

async function checkBook() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'torvane3-nodeuci-'));
  try {
    fs.writeFileSync(path.join(dir, 'book.txt'), BOOK);
    const e = await startEngine('book', dir);
    for (const row of BOOK_ROWS) {
      await within(10000, e.position('startpos', row.moves), 'position');
      const r = await go(e, CLOCK, `book after ${row.moves}`);
      must(r.bestmove === row.book, `after ${row.moves}: bestmove ${r.bestmove}, the book has ${row.book}`);
      must(r.info.some((i) => i.string === `book move ${row.book}`), `after ${row.moves}: no 'info string book move ${row.book}'`);
    }
    await within(10000, e.quit(), 'quit');
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
  return BOOK_ROWS.map((r) => r.book).join(', ');
}

// a2a3 is the one move the second go may search: its bestmove says which
// search answered.
async function checkGoDuringInfinite() {
  const e = await startEngine('infinite');
  await within(10000, e.position('startpos'), 'position');
  const from = e.lines.length;
  const out = () => e.lines.slice(from);
  const bestmoves = () => out().filter((l) => l.startsWith('bestmove'));
  const infinite = e.goInfinite();
  await waitFor(() => out().some((l) => /^info depth ([3-9]|\d\d+) /.test(l)), 10000, 'go infinite reaching depth 3');
  must(bestmoves().length === 0, `go infinite answered unasked: ${bestmoves()}`);
  const first = await go(e, { searchmoves: ['a2a3'], depth: 4 }, 'go during go infinite');
  await waitFor(() => bestmoves().length >= 2, 10000, 'a bestmove for the second go');
  await within(10000, e.isready(), 'isready');
  infinite.emit('stop'); // only detaches node-uci's listener
  const lines = out();
  const at = lines.flatMap((l, i) => (l.startsWith('bestmove') ? [i] : []));
  must(at.length === 2, `${at.length} bestmoves for the two searches: ${bestmoves()}`);
  must(legalAt(new Chess().fen(), first.bestmove), `the infinite search's bestmove ${first.bestmove} is not legal`);
  must(/^bestmove a2a3\b/.test(lines[at[1]]), `the second go, limited to a2a3, answered '${lines[at[1]]}'`);
  must(lines.slice(at[0] + 1, at[1]).some((l) => /^info depth 1 .* pv a2a3\b/.test(l)),
    'no depth-1 line of the second search between the two bestmoves');
  await within(10000, e.quit(), 'quit');
  return `${lines[at[0]]}, then ${lines[at[1]]}`;
}

// A line with a pv: info, then pv before any free text of a string.
function carriesPv(line) {
  const w = line.split(/\s+/);
  if (w[0] !== 'info') return false;
  const s = w.indexOf('string');
  const p = w.indexOf('pv');
  return p > 0 && (s < 0 || p < s);
}

function rawLineHasDepthAndScore(line) {
  const w = line.split(/\s+/);
  const d = w.indexOf('depth');
  const s = w.indexOf('score');
  return d > 0 && /^\d+$/.test(w[d + 1]) && Number(w[d + 1]) >= 1 &&
    s > 0 && ['cp', 'mate'].includes(w[s + 1]) && /^-?\d+$/.test(w[s + 2] ?? '');
}

// node-uci keeps whatever matched, so the raw lines are read as well.
async function checkInfoLines() {
  const raw = rawLines.filter(carriesPv);
  const parsed = parsedInfos.filter((i) => i.pv !== undefined);
  must(raw.length >= 20 && parsed.length >= 20, `too few lines with a pv to judge: ${raw.length} raw, ${parsed.length} parsed`);
  const badRaw = raw.filter((l) => !rawLineHasDepthAndScore(l));
  must(badRaw.length === 0, `lines with a pv but no depth >= 1 or no score: ${badRaw.slice(0, 3).join(' | ')}`);
  const badParsed = parsed.filter((i) => !(i.depth >= 1 && i.score && ['cp', 'mate'].includes(i.score.unit)));
  must(badParsed.length === 0, `node-uci read a pv without depth >= 1 or score: ${JSON.stringify(badParsed.slice(0, 3))}`);
  return `${raw.length} lines with a pv, ${parsed.length} of them through node-uci's go`;
}

// ---- the run ---------------------------------------------------------------------------

const checks = [
  ['game', checkGame],
  ['multipv', checkMultiPv],
  ['book', checkBook],
  ['infinite', checkGoDuringInfinite],
  ['info', checkInfoLines],
];

let passed = 0, failed = 0;
const start = Date.now();
for (const [name, check] of checks) {
  engines = [];
  try {
    const what = await check();
    ++passed;
    console.log(`PASS ${name}: ${what}`);
  } catch (err) {
    ++failed;
    console.log(`FAIL ${name}: ${err instanceof CheckError ? err.message : err?.stack ?? err}`);
    for (const e of engines) {
      console.log(`  last lines of ${e.label}:\n    ${e.lines.slice(-8).join('\n    ')}`);
      if (e.proc) e.proc.kill('SIGKILL');
    }
  }
}
console.log(`(${((Date.now() - start) / 1000).toFixed(1)} s)`);
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
