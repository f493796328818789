// An independent judge of torvane3-uci: drives the built program through
// whole sessions (long random games from the start and from set-up positions,
// under-promotions in the move lists, every kind of go, ponder with ponderhit
// and with stop) and checks with chess.js, which shares no code with the
// engine, that every bestmove, ponder move and principal-variation move is
// legal where it stands and that the position the engine holds ("d") is the
// one the moves lead to, all six FEN fields.
//
// With --multipv it judges instead the lines of MultiPV searches: those of
// the last iteration legal, distinct in their first moves, ranked by score,
// and one per legal move where the position has fewer than asked for.
//
// With --threads each session searches on 2 to 4 threads that share the
// table, so that their races meet every kind of search and stop.
//
// usage: node judge.mjs ENGINE [--book FILE] [--seed N] [--games N] [--multipv] [--threads] [--verbose]
// Exit status 0 when every check held, 1 otherwise (each failure is printed
// with the lines of the session that led to it).
import { spawn } from 'node:child_process';
import { Chess } from 'chess.js';

// ---- arguments ----------------------------------------------------------------

const args = process.argv.slice(2);
const opt = (name, dflt) => {
  const i = args.indexOf(name);
  return i >= 0 && i + 1 < args.length ? args[i + 1] : dflt;
};
const enginePath = args[0];
if (!enginePath || enginePath.startsWith('--')) {
  console.error('usage: node judge.mjs ENGINE [--book FILE] [--seed N] [--games N] [--multipv] [--threads] [--verbose]');
  process.exit(2);
}
const bookFile = opt('--book', '');
const seed = Number(opt('--seed', '20261207'));
const numGames = Number(opt('--games', '40'));
const verbose = args.includes('--verbose');
const multipvOnly = args.includes('--multipv');
const threaded = args.includes('--threads');

// ---- a seeded generator, so that a failing run can be replayed ----------------

let rngState = seed >>> 0;
function rand() {
  // mulberry32
  rngState = (rngState + 0x6d2b79f5) >>> 0;
  let t = rngState;
  t = Math.imul(t ^ (t >>> 15), t | 1);
  t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
  return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
}
const randInt = (lo, hi) => lo + Math.floor(rand() * (hi - lo + 1));
const pick = (a) => a[Math.floor(rand() * a.length)];

// ---- the engine as a child process ----------------------------------------------

class Engine {
  constructor(path) {
    this.proc = spawn(path, [], { stdio: ['pipe', 'pipe', 'inherit'] });
    this.pending = '';
    this.lines = [];
    this.waiter = null;
    this.ended = false;
    this.transcript = []; // the last lines both ways, for failure reports
    this.proc.stdout.setEncoding('utf8');
    this.proc.stdout.on('data', (d) => {
      this.pending += d;
      let nl;
      while ((nl = this.pending.indexOf('\n')) >= 0) {
        const line = this.pending.slice(0, nl);
        this.pending = this.pending.slice(nl + 1);
        this.lines.push(line);
        this.note('< ' + line);
      }
      this.wake();
    });
    this.proc.on('exit', (code, signal) => {
      this.ended = true;
      this.exit = signal ? `signal ${signal}` : `status ${code}`;
      this.wake();
    });
    this.proc.stdin.on('error', () => {}); // a dead engine is reported by the reads
  }
  note(s) {
    this.transcript.push(s.length > 300 ? s.slice(0, 300) + ' ...' : s);
    if (this.transcript.length > 40) this.transcript.shift();
    if (verbose) console.log(s);
  }
  wake() {
    if (this.waiter) {
      const w = this.waiter;
      this.waiter = null;
      w();
    }
  }
  send(line) {
    this.note('> ' + line);
    if (!this.ended) this.proc.stdin.write(line + '\n');
  }
  // Lines up to and including the first that starts with prefix; throws on a
  // time-out or the end of the program.
  async until(prefix, timeoutMs = 60000) {
    const got = [];
    const deadline = Date.now() + timeoutMs;
    for (;;) {
      while (this.lines.length) {
        const l = this.lines.shift();
        got.push(l);
        if (l.startsWith(prefix)) return got;
      }
      if (this.ended) throw new JudgeError(`engine ended (${this.exit}) while waiting for '${prefix}'`);
      const left = deadline - Date.now();
      if (left <= 0) throw new JudgeError(`no '${prefix}' within ${timeoutMs} ms`);
      await new Promise((res) => {
        const t = setTimeout(() => { this.waiter = null; res(); }, left);
        this.waiter = () => { clearTimeout(t); res(); };
      });
    }
  }
  // Lines that arrive within ms (none is expected to be a bestmove, say).
  async quietFor(ms) {
    await new Promise((res) => setTimeout(res, ms));
    const got = this.lines;
    this.lines = [];
    return got;
  }
  async quit() {
    this.send('quit');
    const deadline = Date.now() + 10000;
    while (!this.ended && Date.now() < deadline) await new Promise((r) => setTimeout(r, 20));
    if (!this.ended) {
      this.proc.kill('SIGKILL');
      throw new JudgeError('engine did not end after quit');
    }
    if (this.exit !== 'status 0') throw new JudgeError(`engine ended with ${this.exit} after quit`);
  }
}

class JudgeError extends Error {}

// ---- what is checked -------------------------------------------------------------

const stats = { sessions: 0, positions: 0, fens: 0, searches: 0, bestmoves: 0, ponders: 0,
  pvLines: 0, pvMoves: 0, multipvSearches: 0, multipvLines: 0, underPromotionsPlayed: 0, movesSent: 0, longestHistory: 0,
  thirdPieceFens: 0, epOnlyEngine: 0, ponderhits: 0, ponderStops: 0 };
const failures = [];

function fail(engine, what) {
  failures.push(what + '\n    ' + engine.transcript.slice(-12).join('\n    '));
  console.error('FAIL: ' + what);
}

const uciOf = (m) => m.from + m.to + (m.promotion || '');

// The chess.js move that the UCI text names in pos, or null. A promotion must
// carry its letter, and the engine's own promotions are queens.
function engineMove(pos, text, own = true) {
  const m = /^([a-h][1-8])([a-h][1-8])([qrbn]?)$/.exec(text);
  if (!m) return null;
  const found = pos.moves({ verbose: true }).find(
    (v) => v.from === m[1] && v.to === m[2] && (v.promotion || '') === m[3]);
  if (!found) return null;
  if (own && found.promotion && found.promotion !== 'q') return null;
  return found;
}

// A copy of pos for trying moves on; FEN is enough for legality.
const copyOf = (pos) => new Chess(pos.fen());

// The en passant square the engine may write: chess.js keeps one only when a
// capture is possible, the engine after every double step (as FEN defines it).
function allowedEp(pos, lastMove, givenEp) {
  const js = pos.fen().split(' ')[3];
  if (js !== '-') return new Set([js]);
  if (lastMove && lastMove.flags.includes('b'))
    return new Set(['-', lastMove.to[0] + (lastMove.to[1] === '4' ? '3' : '6')]);
  if (!lastMove && givenEp) return new Set(['-', givenEp]);
  return new Set(['-']);
}

async function checkFen(engine, game) {
  engine.send('d');
  const lines = await engine.until('info string fen ');
  const got = lines[lines.length - 1].slice('info string fen '.length).trim().split(/\s+/);
  const want = game.pos.fen().split(' ');
  stats.fens++;
  // Three knights, bishops or rooks of one colour: only an under-promotion makes them.
  if (/[NBRnbr]/.test(want[0]) && [...'NBRnbr'].some((p) => want[0].split(p).length > 3)) stats.thirdPieceFens++;
  if (got[3] !== '-' && want[3] === '-') stats.epOnlyEngine++;
  const eps = allowedEp(game.pos, game.lastMove, game.startEp);
  const same = got.length === 6 && [0, 1, 2, 4, 5].every((i) => got[i] === want[i]) && eps.has(got[3]);
  if (!same)
    fail(engine, `position after ${game.moves.length} moves from ${game.start}: engine holds ` +
      `'${got.join(' ')}', chess.js '${want.join(' ')}' (en passant allowed: ${[...eps].join(' or ')})`);
  for (const l of lines.slice(0, -1))
    if (l.startsWith('info string')) fail(engine, `unexpected message before the FEN: ${l}`);
}

function positionCommand(game) {
  const head = game.start === 'startpos' ? 'position startpos' : `position fen ${game.start}`;
  return game.moves.length ? `${head} moves ${game.moves.join(' ')}` : head;
}

async function sendPosition(engine, game) {
  engine.send(positionCommand(game));
  stats.positions++;
  stats.movesSent += game.moves.length;
  stats.longestHistory = Math.max(stats.longestHistory, game.moves.length);
  // Every move sent is legal: the engine must take them all without a word.
  engine.send('isready');
  // The first isready makes the table resident: the full one can take a
  // while on a busy machine.
  const lines = await engine.until('readyok', 180000);
  for (const l of lines.slice(0, -1)) fail(engine, `answer to a legal position: ${l}`);
}

// The lines of one search, from go to bestmove: every PV legal move after
// move, the bestmove and its ponder move legal, and the restriction of
// searchmoves kept. Returns the bestmove and ponder move as chess.js moves.
function judgeSearch(engine, pos, lines, allowed) {
  stats.searches++;
  for (const l of lines) {
    if (!l.startsWith('info ')) continue;
    if (l.startsWith('info string')) {
      if (!/book line|Missing Library File/.test(l)) fail(engine, `message during a search: ${l}`);
      continue;
    }
    const at = l.indexOf(' pv ');
    if (at < 0) continue;
    stats.pvLines++;
    const pv = l.slice(at + 4).trim().split(/\s+/);
    const p = copyOf(pos);
    for (let i = 0; i < pv.length; i++) {
      const m = engineMove(p, pv[i]);
      if (!m) {
        fail(engine, `pv move ${i + 1} '${pv[i]}' is not legal in ${p.fen()} (line: ${l})`);
        break;
      }
      if (i === 0 && allowed && !allowed.has(pv[i]))
        fail(engine, `pv starts with ${pv[i]}, outside searchmoves ${[...allowed].join(' ')}`);
      p.move(m);
      stats.pvMoves++;
    }
  }
  const last = lines[lines.length - 1].trim().split(/\s+/);
  const best = last[1];
  stats.bestmoves++;
  if (pos.moves().length === 0) {
    if (best !== '0000') fail(engine, `bestmove ${best} where ${pos.fen()} has no move`);
    return { best: null, ponder: null };
  }
  const bm = engineMove(pos, best);
  if (!bm) {
    fail(engine, `bestmove '${best}' is not legal in ${pos.fen()}`);
    return { best: null, ponder: null };
  }
  if (allowed && !allowed.has(best))
    fail(engine, `bestmove ${best} outside searchmoves ${[...allowed].join(' ')}`);
  let pm = null;
  if (last.length > 2) {
    if (last.length !== 4 || last[2] !== 'ponder') {
      fail(engine, `malformed bestmove line '${lines[lines.length - 1]}'`);
    } else {
      stats.ponders++;
      const after = copyOf(pos);
      after.move(bm);
      pm = engineMove(after, last[3]);
      if (!pm) fail(engine, `ponder move '${last[3]}' is not legal after ${best} in ${after.fen()}`);
    }
  }
  return { best: bm, ponder: pm };
}

// ---- games ------------------------------------------------------------------------

// Set-up positions: promotions of every kind at hand, castling rights that
// rook captures remove, en passant on the board, bare kings, a crowded board.
// A game from one of them opens with the moves after the bar, if any.
const Starts = [
  'startpos',
  'startpos',
  'startpos',
  '4k3/P7/8/8/8/8/8/NN2K3 w - - 0 1|a7a8n',       // a third knight
  'rn2k3/1P6/8/8/8/8/1p6/RN2K3 w Q - 0 30|b7a8n b2a1b', // promotions with and without capture
  '4k3/8/8/8/8/8/1p5p/R3K2R b KQ - 0 40|b2b1r',     // b2b1r, h2h1n, captures on the rook squares
  'r3k2r/1P4P1/8/8/8/8/1p4p1/R3K2R w KQkq - 0 20',  // captures of castling rooks by promotion
  'rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3', // en passant at once
  '8/2P5/4k3/8/8/3K4/5p2/8 w - - 12 70',
  'r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5',
  '2kr3r/pbpqbppp/1pn1pn2/3p4/3P4/1PNBPN2/PBPQ1PPP/2KR3R w - - 4 11',
  '8/8/4k3/8/2K5/8/8/8 w - - 90 120',                // bare kings, a high halfmove count
];

// A random legal move, leaning a little towards pawn moves and captures so
// that games reach promotions, and naming every promotion piece.
function randomMove(pos) {
  const ms = pos.moves({ verbose: true });
  const promos = ms.filter((m) => m.promotion);
  if (promos.length && rand() < 0.8) return pick(promos);
  const pushy = ms.filter((m) => m.piece === 'p' || m.captured);
  return pushy.length && rand() < 0.5 ? pick(pushy) : pick(ms);
}

function play(game, m) {
  game.pos.move(m);
  game.moves.push(uciOf(m));
  if (m.promotion && m.promotion !== 'q') stats.underPromotionsPlayed++;
  game.lastMove = m;
}

function newGame(entry) {
  const [start, first] = entry.split('|');
  const fen = start === 'startpos' ? undefined : start;
  const game = { start, pos: new Chess(fen), moves: [], lastMove: null,
    startEp: start === 'startpos' ? null : start.split(' ')[3] };
  for (const m of first ? first.split(' ') : [])
    play(game, engineMove(game.pos, m, false));
  return game;
}

// One search by the engine in the game's position; plays its bestmove on the
// board (returned) unless keep is false.
async function engineTurn(engine, game) {
  await sendPosition(engine, game);
  const pos = game.pos;
  const legal = pos.moves({ verbose: true });
  const kind = legal.length === 0 ? 'depth' : pick(['nodes', 'nodes', 'depth', 'movetime', 'clock',
    'searchmoves', 'mate', 'infinite', 'ponder']);
  let allowed = null;
  let go;
  switch (kind) {
    case 'nodes': go = `go nodes ${randInt(500, 30000)}`; break;
    case 'depth': go = `go depth ${randInt(1, 5)}`; break;
    case 'movetime': go = `go movetime ${randInt(10, 60)}`; break;
    case 'clock': {
      const t = randInt(200, 4000);
      go = `go wtime ${t} btime ${t} winc ${randInt(0, 50)} binc ${randInt(0, 50)}` +
        (rand() < 0.3 ? ` movestogo ${randInt(1, 30)}` : '');
      break;
    }
    case 'searchmoves': {
      // Queen promotions only: the engine's queen stands for an under-promotion.
      const own = [...new Set(legal.map((m) => m.from + m.to + (m.promotion ? 'q' : '')))];
      allowed = new Set(own.sort(() => rand() - 0.5).slice(0, randInt(1, 3)));
      go = `go ${rand() < 0.5 ? `depth ${randInt(1, 4)}` : `nodes ${randInt(1000, 20000)}`} searchmoves ${[...allowed].join(' ')}`;
      break;
    }
    case 'mate': go = `go mate ${randInt(1, 3)} nodes ${randInt(2000, 30000)}`; break;
    case 'infinite': go = 'go infinite'; break;
    case 'ponder': go = `go ponder nodes ${randInt(1000, 20000)}`; break;
  }
  engine.send(go);
  let lines;
  if (kind === 'infinite' || kind === 'ponder') {
    // No answer before stop or ponderhit, however soon the search is done.
    const early = await engine.quietFor(randInt(20, 80));
    if (early.some((l) => l.startsWith('bestmove')))
      fail(engine, `'${go}' answered before it was told to`);
    const hit = kind === 'ponder' && rand() < 0.5;
    if (kind === 'ponder') stats[hit ? 'ponderhits' : 'ponderStops']++;
    engine.send(hit ? 'ponderhit' : 'stop');
    lines = early.concat(await engine.until('bestmove'));
    lines = lines.slice(0, lines.findIndex((l) => l.startsWith('bestmove')) + 1);
  } else {
    lines = await engine.until('bestmove');
  }
  const r = judgeSearch(engine, pos, lines, allowed);
  // The search leaves the position as it found it.
  await checkFen(engine, game);
  return r;
}

async function playGame(engine, g) {
  const start = pick(Starts);
  const game = newGame(start);
  engine.send('ucinewgame');
  // Random play: long histories, and the position checked along the way.
  const plies = randInt(20, 170);
  for (let i = 0; i < plies && game.pos.moves().length > 0; i++) {
    play(game, randomMove(game.pos));
    if (rand() < 0.12) {
      await sendPosition(engine, game);
      await checkFen(engine, game);
    }
  }
  await sendPosition(engine, game);
  await checkFen(engine, game);
  // Then the engine plays one side against random replies, and a reply it
  // pondered on is played half of the time, as an interface would with
  // ponderhit.
  for (let turn = 0; turn < 4 && game.pos.moves().length > 0; turn++) {
    const { best, ponder } = await engineTurn(engine, game);
    if (!best) break;
    play(game, best);
    if (game.pos.moves().length === 0) break;
    play(game, ponder && rand() < 0.5 ? ponder : randomMove(game.pos));
  }
  if (game.pos.moves().length === 0) await engineTurn(engine, game); // mate or stalemate: 0000
  if (verbose) console.log(`game ${g}: ${start}, ${game.moves.length} moves`);
}

// A game the way an interface plays it with pondering on: the engine's
// expected reply is pondered on; a hit is answered through ponderhit, a miss
// by stop, a new position and a new search.
async function ponderGame(engine) {
  const game = newGame(pick(Starts));
  engine.send('ucinewgame');
  for (let i = randInt(0, 60); i > 0 && game.pos.moves().length > 0; i--) play(game, randomMove(game.pos));
  for (let turn = 0; turn < 8 && game.pos.moves().length > 0; turn++) {
    await sendPosition(engine, game);
    engine.send(`go nodes ${randInt(2000, 20000)}`);
    const r = judgeSearch(engine, game.pos, await engine.until('bestmove'), null);
    if (!r.best) return;
    play(game, r.best);
    if (!r.ponder || game.pos.moves().length === 0) return;
    const hit = rand() < 0.6;
    const before = { pos: copyOf(game.pos), moves: game.moves.slice(), lastMove: game.lastMove };
    play(game, r.ponder);
    await sendPosition(engine, game);
    engine.send(`go ponder wtime ${randInt(500, 5000)} btime ${randInt(500, 5000)} winc 10 binc 10`);
    await engine.quietFor(randInt(10, 60));
    stats[hit ? 'ponderhits' : 'ponderStops']++;
    if (hit) {
      engine.send('ponderhit');
      const r2 = judgeSearch(engine, game.pos, await engine.until('bestmove'), null);
      if (!r2.best) return;
      play(game, r2.best);
      if (game.pos.moves().length === 0) return;
      play(game, randomMove(game.pos));
    } else {
      // The answer to a stopped ponder search is thrown away, but must be legal.
      engine.send('stop');
      judgeSearch(engine, game.pos, await engine.until('bestmove'), null);
      game.pos = before.pos;
      game.moves = before.moves;
      game.lastMove = before.lastMove;
      const other = game.pos.moves({ verbose: true }).filter((m) => uciOf(m) !== uciOf(r.ponder));
      if (!other.length) return;
      play(game, pick(other));
    }
    await sendPosition(engine, game);
    await checkFen(engine, game);
  }
}

// ---- several lines (MultiPV) ----------------------------------------------------------

// Searched to depth 8 with the lines asked for: ten positions with more
// moves than that, then roots with fewer, one with a single move.
const MultiPVCases = [
  ['startpos', 3],
  ['r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3', 3],
  ['r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5', 3],
  ['2kr3r/pbpqbppp/1pn1pn2/3p4/3P4/1PNBPN2/PBPQ1PPP/2KR3R w - - 4 11', 3],
  ['rnbqkb1r/pp2pppp/3p1n2/8/3NP3/2N5/PPP2PPP/R1BQKB1R b KQkq - 2 5', 3],
  ['r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1', 3],
  ['8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1', 3],
  ['8/2P5/4k3/8/8/3K4/5p2/8 w - - 12 70', 3],
  ['rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3', 3],
  ['r2q1rk1/pp2bppp/2n1pn2/3p4/3P4/2NBPN2/PP3PPP/R2Q1RK1 b - - 0 10', 3],
  ['7k/8/8/8/4P3/8/r7/7K w - - 0 1', 5],
  ['7k/8/8/8/2P1P3/8/r7/7K w - - 0 1', 4],
  ['4k3/8/8/8/8/8/4q3/4K3 w - - 0 1', 3],
];

// A score as a number that orders mates beyond every centipawn score.
function scoreValue(line) {
  const m = / score (cp|mate) (-?\d+)/.exec(line);
  if (!m) return null;
  const v = Number(m[2]);
  return m[1] === 'cp' ? v : v > 0 ? 100000 - v : -100000 - v;
}
const fieldOf = (line, key) => (new RegExp(` ${key} (\\S+)`).exec(line) || [])[1];

async function multipvSearch(engine, fen, asked) {
  const pos = new Chess(fen === 'startpos' ? undefined : fen);
  engine.send(`setoption name MultiPV value ${asked}`);
  engine.send(fen === 'startpos' ? 'position startpos' : `position fen ${fen}`);
  engine.send('go depth 8');
  const lines = await engine.until('bestmove');
  judgeSearch(engine, pos, lines, null); // every pv move legal where it stands
  stats.multipvSearches++;
  // The last iteration's lines: from the last "multipv 1" on.
  const infos = lines.filter((l) => l.startsWith('info depth '));
  const from = infos.map((l) => fieldOf(l, 'multipv')).lastIndexOf('1');
  const last = from < 0 ? [] : infos.slice(from);
  const legal = [...new Set(pos.moves({ verbose: true }).map((m) => m.from + m.to + (m.promotion ? 'q' : '')))];
  const want = Math.min(asked, legal.length);
  const what = `MultiPV ${asked} in ${fen}`;
  stats.multipvLines += last.length;
  if (last.length !== want) fail(engine, `${what}: ${last.length} lines in the last iteration, not ${want}`);
  const firsts = last.map((l) => fieldOf(l, 'pv'));
  last.forEach((l, i) => {
    if (fieldOf(l, 'multipv') !== String(i + 1)) fail(engine, `${what}: line ${i + 1} reads '${l}'`);
    if (fieldOf(l, 'depth') !== '8') fail(engine, `${what}: not of depth 8: '${l}'`);
    if (i > 0 && !(scoreValue(l) <= scoreValue(last[i - 1])))
      fail(engine, `${what}: line ${i + 1} scores above line ${i}: '${l}'`);
  });
  if (new Set(firsts).size !== firsts.length) fail(engine, `${what}: a first move twice in ${firsts.join(' ')}`);
  if (want < asked && [...legal].sort().join(' ') !== [...firsts].sort().join(' '))
    fail(engine, `${what}: first moves ${firsts.join(' ')}, legal moves ${legal.join(' ')}`);
  const best = lines[lines.length - 1].split(/\s+/)[1];
  if (firsts.length && best !== firsts[0]) fail(engine, `${what}: bestmove ${best}, line 1 starts ${firsts[0]}`);
}

// ---- the sessions ------------------------------------------------------------------

async function session(hashMiB, body) {
  const engine = new Engine(enginePath);
  stats.sessions++;
  try {
    engine.send('uci');
    await engine.until('uciok');
    if (hashMiB) engine.send(`setoption name Hash value ${hashMiB}`);
    if (threaded) engine.send(`setoption name Threads value ${randInt(2, 4)}`);
    if (bookFile) engine.send(`setoption name BookFile value ${bookFile}`);
    engine.send('setoption name Ponder value true');
    await body(engine);
    await engine.quit();
  } catch (e) {
    if (!(e instanceof JudgeError)) throw e;
    fail(engine, e.message);
    engine.proc.kill('SIGKILL');
  }
}

const started = Date.now();
// Most sessions use a small table: emptying the full one after every search
// would spend the run's time on memset.
const perSession = 10;
if (multipvOnly) {
  await session(16, async (engine) => {
    for (const [fen, asked] of MultiPVCases) await multipvSearch(engine, fen, asked);
  });
} else {
  for (let s = 0; s * perSession < numGames; s++) {
    await session(s === 0 ? 0 : 16, async (engine) => {
      // The last session shows three lines: stops, ponder and the clock cut
      // searches of several lines too.
      if (s > 0 && (s + 1) * perSession >= numGames) engine.send('setoption name MultiPV value 3');
      for (let g = s * perSession; g < Math.min(numGames, (s + 1) * perSession); g++) {
        await playGame(engine, g);
        if (g % 3 === 0) await ponderGame(engine);
      }
    });
  }
}

const secs = ((Date.now() - started) / 1000).toFixed(1);
console.log(`judge: ${stats.sessions} sessions, ${numGames} games (seed ${seed}), ${secs} s`);
console.log(`  positions sent ${stats.positions} (${stats.movesSent} moves in their lists, the longest ` +
  `${stats.longestHistory}, ${stats.underPromotionsPlayed} under-promotions played)`);
console.log(`  FENs compared ${stats.fens} (${stats.thirdPieceFens} with a third knight, bishop or rook of a ` +
  `colour; ${stats.epOnlyEngine} where the engine wrote an en passant square that chess.js drops)`);
console.log(`  searches ${stats.searches}: bestmoves ${stats.bestmoves}, ponder moves ${stats.ponders}, ` +
  `pv lines ${stats.pvLines} with ${stats.pvMoves} moves, all judged; ponder searches ended by ` +
  `ponderhit ${stats.ponderhits}, by stop ${stats.ponderStops}`);
if (multipvOnly)
  console.log(`  MultiPV searches ${stats.multipvSearches} with ${stats.multipvLines} lines in their last iterations`);
if (failures.length) {
  console.log(`judge: ${failures.length} failure(s):`);
  for (const f of failures.slice(0, 20)) console.log('  ' + f);
  process.exit(1);
}
console.log('judge: every move legal and every position as chess.js has it');
