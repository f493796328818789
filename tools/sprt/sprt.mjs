// Plays engine A (a new build) against engine B (the reference) over UCI,
// with chess.js as the referee of every move and of every game's end, and
// stops on an SPRT. tools/sprt.sh sets up node and chess.js and calls this;
// its --help tells the options.
//
// The runner keeps the clocks itself: an engine's time is the wall-clock time
// from the moment `go` is written to the moment its `bestmove` line arrives.
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { performance } from 'node:perf_hooks';
import { Chess } from 'chess.js';
import {
  buildOpenings, eloInterval, formatPgn, scoreStats, signed, sprtBounds, sprtLLR,
} from './lib.mjs';

// ---- arguments ----------------------------------------------------------------

function usageError(msg) {
  console.error(`sprt: ${msg} (tools/sprt.sh --help lists the options)`);
  process.exit(2);
}

function parseArgs(argv) {
  const o = {
    engines: [], tc: '5+0.05', nodes: 0, margin: 100, hang: 10, concurrency: 2, threads: 1, hash: 16,
    aOptions: [], bOptions: [], aName: '', bName: '', book: '', fens: '', plies: 8, seed: 1,
    elo0: 0, elo1: 5, games: 20000, fixed: 0, out: '', drawAfter: 0, uciLog: false,
  };
  const value = (i, name) => {
    if (i + 1 >= argv.length) usageError(`${name} needs a value`);
    return argv[i + 1];
  };
  const number = (text, name, { integer = false, min = -Infinity } = {}) => {
    const x = Number(text);
    if (text === '' || !Number.isFinite(x) || (integer && !Number.isInteger(x)) || x < min)
      usageError(`${name} ${text}: not a${integer ? 'n integer' : ' number'}${min > -Infinity ? ` of at least ${min}` : ''}`);
    return x;
  };
  const option = (text, name) => {
    const eq = text.indexOf('=');
    if (eq <= 0) usageError(`${name} ${text}: write NAME=VALUE`);
    return [text.slice(0, eq), text.slice(eq + 1)];
  };
  for (let i = 0; i < argv.length; i++) {
    const a = argv[i];
    if (!a.startsWith('--')) {
      o.engines.push(a);
      continue;
    }
    const v = () => value(i++, a);
    switch (a) {
      case '--tc': o.tc = v(); break;
      case '--nodes': o.nodes = number(v(), a, { integer: true, min: 1 }); break;
      case '--margin': o.margin = number(v(), a, { min: 0 }); break;
      case '--hang': o.hang = number(v(), a, { min: 0 }); break;
      case '--concurrency': o.concurrency = number(v(), a, { integer: true, min: 1 }); break;
      case '--threads': o.threads = number(v(), a, { integer: true, min: 1 }); break;
      case '--hash': o.hash = number(v(), a, { integer: true, min: 1 }); break;
      case '--a-option': o.aOptions.push(option(v(), a)); break;
      case '--b-option': o.bOptions.push(option(v(), a)); break;
      case '--a-name': o.aName = v(); break;
      case '--b-name': o.bName = v(); break;
      case '--book': o.book = v(); break;
      case '--fens': o.fens = v(); break;
      case '--plies': o.plies = number(v(), a, { integer: true, min: 1 }); break;
      case '--seed': o.seed = number(v(), a, { integer: true, min: 0 }); break;
      case '--elo0': o.elo0 = number(v(), a); break;
      case '--elo1': o.elo1 = number(v(), a); break;
      case '--games': o.games = number(v(), a, { integer: true, min: 1 }); break;
      case '--fixed': o.fixed = number(v(), a, { integer: true, min: 1 }); break;
      case '--out': o.out = v(); break;
      case '--draw-after': o.drawAfter = number(v(), a, { integer: true, min: 1 }); break;
      case '--uci-log': o.uciLog = true; break;
      default: usageError(`unknown option ${a}`);
    }
  }
  if (o.engines.length !== 2) usageError('give two engines, A (the new build) and B (the reference)');
  if (!o.book) usageError('no --book');
  if (!o.out) usageError('no --out');
  if (!(o.elo1 > o.elo0)) usageError('--elo1 must be above --elo0');
  const tc = /^(\d+(?:\.\d+)?)(?:\+(\d+(?:\.\d+)?))?$/.exec(o.tc);
  if (!tc) usageError(`--tc ${o.tc}: write BASE+INC in seconds, e.g. 5+0.05`);
  o.baseMs = Number(tc[1]) * 1000;
  o.incMs = Number(tc[2] || 0) * 1000;
  if (!o.nodes && o.baseMs <= 0) usageError('--tc needs a base time above 0');
  o.maxGames = o.fixed || o.games;
  return o;
}

const opts = parseArgs(process.argv.slice(2));
const outDir = path.resolve(opts.out);
fs.mkdirSync(path.join(outDir, 'logs'), { recursive: true });
// A name with a slash is a path from where the runner was started; the
// engines themselves run in the output folder, so that whatever files they
// write stay there.
const enginePath = (p) => (p.includes('/') ? path.resolve(p) : p);

// ---- an engine over UCI ---------------------------------------------------------

class Fault extends Error {
  constructor(kind, message) {
    super(message);
    this.kind = kind; // 'crash' or 'no answer'
  }
}

class Engine {
  constructor(role, slot, command, options, displayName) {
    this.role = role; // 'A' or 'B'
    this.slot = slot; // which of the concurrent games it plays
    this.path = command;
    this.options = options;
    this.name = displayName;
    this.proc = null;
    this.starts = 0;
    const base = path.join(outDir, 'logs', `${role}-${slot}`);
    this.stderrFd = fs.openSync(`${base}.stderr`, 'a');
    this.logFd = fs.openSync(`${base}.log`, 'a');
    this.recent = []; // the last lines both ways, written to the log at a fault
  }

  log(text) {
    fs.writeSync(this.logFd, `${new Date().toISOString()} ${text}\n`);
  }

  note(text) {
    if (opts.uciLog) this.log(text);
    this.recent.push(text);
    if (this.recent.length > 40) this.recent.shift();
  }

  get alive() {
    return this.proc !== null && !this.ended;
  }

  async start() {
    this.kill();
    this.starts++;
    this.lines = [];
    this.pending = '';
    this.ended = false;
    this.waiter = null;
    this.log(`start ${this.starts}: ${this.path}`);
    // A group of its own: the terminal's Ctrl-C reaches the runner alone,
    // which then finishes the games in progress.
    const proc = spawn(this.path, [], { cwd: outDir, detached: true, stdio: ['pipe', 'pipe', this.stderrFd] });
    this.proc = proc;
    proc.stdout.setEncoding('utf8');
    proc.stdout.on('data', (chunk) => {
      if (proc !== this.proc) return;
      // One time for the whole chunk, taken as it arrives: a bestmove is not
      // charged for the time the other game kept the event loop.
      const at = performance.now();
      this.pending += chunk;
      let nl;
      while ((nl = this.pending.indexOf('\n')) >= 0) {
        const text = this.pending.slice(0, nl).replace(/\r$/, '');
        this.pending = this.pending.slice(nl + 1);
        this.lines.push({ text, at });
        if (!text.startsWith('info ') || text.startsWith('info string') || opts.uciLog) this.note(`< ${text}`);
      }
      this.wake();
    });
    const onEnd = (how) => {
      if (proc !== this.proc || this.ended) return;
      this.ended = true;
      this.exitText = how;
      this.wake();
    };
    proc.on('exit', (code, signal) => onEnd(signal ? `signal ${signal}` : `status ${code}`));
    proc.on('error', (err) => onEnd(err.message));
    proc.stdin.on('error', () => {}); // a dead engine shows in the reads

    const uci = await this.exchange('uci', 'uciok', 30000);
    const names = new Set();
    for (const l of uci) {
      const m = /^option\s+name\s+(.*?)\s+type\s/.exec(l.text);
      if (m) names.add(m[1].toLowerCase());
      const id = /^id\s+name\s+(.*)$/.exec(l.text);
      if (id) this.idName = id[1].trim();
    }
    this.optionNames = names;
    // Defaults first, so that an --a-option or --b-option of the same name wins.
    const settings = [];
    if (names.has('threads')) settings.push(['Threads', opts.threads]);
    if (names.has('hash')) settings.push(['Hash', opts.hash]);
    if (names.has('ownbook')) settings.push(['OwnBook', 'false']);
    settings.push(...this.options);
    for (const [k, v] of settings) {
      if (!names.has(k.toLowerCase()) && this.starts === 1)
        console.error(`sprt: warning: ${this.role} (${this.path}) lists no option '${k}'; sent anyway`);
      this.send(`setoption name ${k} value ${v}`);
    }
    await this.exchange('isready', 'readyok', 60000);
  }

  wake() {
    if (this.waiter) {
      const w = this.waiter;
      this.waiter = null;
      w();
    }
  }

  send(line) {
    this.note(`> ${line}`);
    const at = performance.now();
    if (this.alive) this.proc.stdin.write(`${line}\n`);
    return at;
  }

  // Every line up to and including the first whose first word is `word`.
  async until(word, timeoutMs) {
    const got = [];
    const deadline = performance.now() + timeoutMs;
    for (;;) {
      while (this.lines.length) {
        const l = this.lines.shift();
        got.push(l);
        if (l.text === word || l.text.startsWith(`${word} `)) return got;
      }
      if (this.ended) throw new Fault('crash', `ended (${this.exitText}) while '${word}' was awaited`);
      const left = deadline - performance.now();
      if (left <= 0) throw new Fault('no answer', `no '${word}' within ${(timeoutMs / 1000).toFixed(1)} s`);
      await new Promise((res) => {
        const t = setTimeout(() => { this.waiter = null; res(); }, left + 1);
        this.waiter = () => { clearTimeout(t); res(); };
      });
    }
  }

  async exchange(command, answer, timeoutMs) {
    this.lines = []; // what came before belongs to nothing still awaited
    this.send(command);
    return this.until(answer, timeoutMs);
  }

  // One search: the bestmove's text, the think time and the last depth and
  // score shown before it.
  async think(position, go, timeoutMs) {
    this.lines = [];
    this.send(position);
    const sent = this.send(go);
    const got = await this.until('bestmove', timeoutMs);
    const last = got[got.length - 1];
    let depth = null;
    let score = null;
    for (const l of got) {
      const d = /\bdepth (\d+)/.exec(l.text);
      const s = /\bscore (cp|mate) (-?\d+)/.exec(l.text);
      if (l.text.startsWith('info ') && d && s) {
        depth = Number(d[1]);
        score = { kind: s[1], value: Number(s[2]) };
      }
    }
    return { move: last.text.split(/\s+/)[1] || '', elapsedMs: last.at - sent, depth, score };
  }

  fault(what) {
    this.log(`fault: ${what}; the last lines:\n    ${this.recent.join('\n    ')}`);
    this.kill();
  }

  kill() {
    if (this.proc && !this.ended) {
      this.ended = true;
      this.exitText = 'killed';
      this.proc.kill('SIGKILL');
    }
  }

  async quit() {
    if (!this.alive) return;
    this.send('quit');
    const deadline = performance.now() + 3000;
    while (this.alive && performance.now() < deadline) await new Promise((r) => setTimeout(r, 20));
    this.kill();
  }
}

// ---- the openings --------------------------------------------------------------

// With --fens, each position of the file is played once, engine A on the
// move: a won ending, say, that A must win against B.
const book = opts.fens
  ? readFens(fs.readFileSync(opts.fens, 'utf8'))
  : buildOpenings(fs.readFileSync(opts.book, 'utf8'), opts.plies, opts.seed, Chess);
if (book.openings.length === 0)
  usageError(opts.fens ? `no legal position in ${opts.fens}` : `no line of ${opts.plies} legal plies in ${opts.book}`);

function readFens(text) {
  const openings = [];
  for (const line of text.split('\n').map((l) => l.trim())) {
    if (!line || line.startsWith('#')) continue;
    try {
      openings.push({ fen: new Chess(line).fen(), moves: [] });
    } catch {
      usageError(`not a legal position: ${line}`);
    }
  }
  return { openings };
}

// ---- the results -------------------------------------------------------------------

const endings = {
  checkmate: 'mate', 'time forfeit': 'time', 'illegal move': 'illegal move', crash: 'crash',
  'no answer': 'no answer', adjudication: 'adjudication',
  'threefold repetition': 'repetition', 'fifty-move rule': 'fifty moves', stalemate: 'stalemate',
  'insufficient material': 'insufficient material',
};
const winReasons = ['mate', 'time', 'illegal move', 'crash', 'no answer'];
const drawReasons = ['repetition', 'fifty moves', 'stalemate', 'insufficient material'];
if (opts.drawAfter) drawReasons.push('adjudication');

const tally = {};
for (const side of ['A', 'B']) for (const r of winReasons) tally[`${side} wins by ${r}`] = 0;
for (const r of drawReasons) tally[`draws by ${r}`] = 0;
const wdl = { w: 0, d: 0, l: 0 };
const faults = []; // illegal moves, crashes and silences, as reported
const bounds = sprtBounds(0.05, 0.05);
let verdict = null; // set when the LLR first leaves its bounds
let verdictGames = 0;

const startedAt = new Date();
const pgnPath = path.join(outDir, 'games.pgn');
fs.writeFileSync(pgnPath, '');

function llrNow() {
  return sprtLLR(wdl.w, wdl.d, wdl.l, opts.elo0, opts.elo1);
}

function statusLine() {
  const { n, score } = scoreStats(wdl.w, wdl.d, wdl.l);
  const e = eloInterval(wdl.w, wdl.d, wdl.l);
  return `games ${n}  W-D-L ${wdl.w}-${wdl.d}-${wdl.l}  score ${(100 * score).toFixed(1)} %  ` +
    `Elo ${signed(e.elo)} [${signed(e.low)}, ${signed(e.high)}]  ` +
    `LLR ${signed(llrNow(), 2)} [${bounds.lower.toFixed(2)}, ${signed(bounds.upper, 2)}]`;
}

function verdictText() {
  const llr = llrNow();
  if (opts.fixed) {
    const v = llr >= bounds.upper ? 'H1 accepted' : llr <= bounds.lower ? 'H0 accepted' : 'no verdict';
    return `${v} (a fixed ${opts.fixed} games; the LLR at the end)`;
  }
  if (verdict) return `${verdict} (the LLR left its bounds after ${verdictGames} games)`;
  return 'no verdict';
}

function summaryText(note) {
  const { n, score } = scoreStats(wdl.w, wdl.d, wdl.l);
  const e = eloInterval(wdl.w, wdl.d, wdl.l);
  const opt = (list) => list.map(([k, v]) => ` ${k}=${v}`).join('');
  const lines = [
    `Started: ${startedAt.toISOString()}`,
    `A: ${players.A.path} (${players.A.name})${opt(players.A.options)}`,
    `B: ${players.B.path} (${players.B.name})${opt(players.B.options)}`,
    `Limit: ${opts.nodes ? `go nodes ${opts.nodes}` : `${opts.tc} s, flag margin ${opts.margin} ms`}; ` +
      `Threads ${opts.threads}, Hash ${opts.hash} MiB, ${opts.concurrency} games at once`,
    opts.fens
      ? `Positions: ${book.openings.length} from ${opts.fens}, each with engine A on the move`
      : `Openings: ${book.openings.length} lines of ${opts.plies} plies from ${opts.book} (seed ${opts.seed}; ` +
        `${book.short} shorter, ${book.illegal} not legal), each played with both colours`,
    `SPRT: Elo0 ${opts.elo0}, Elo1 ${opts.elo1}, alpha 0.05, beta 0.05; ` +
      (opts.fixed ? `a fixed ${opts.fixed} games` : `at most ${opts.games} games`),
    '',
    `Games: ${n}`,
    `W-D-L: ${wdl.w}-${wdl.d}-${wdl.l}`,
    `Score: ${n ? (100 * score).toFixed(1) : 'n/a'} %`,
    `Elo: ${signed(e.elo)} [${signed(e.low)}, ${signed(e.high)}] (95 %)`,
    `LLR: ${signed(llrNow(), 2)} [${bounds.lower.toFixed(2)}, ${signed(bounds.upper, 2)}]`,
    `Verdict: ${verdictText()}`,
    '',
    'Endings:',
    ...Object.entries(tally).map(([k, v]) => `  ${k}: ${v}`),
  ];
  if (faults.length) lines.push('', 'Faults:', ...faults.map((f) => `  ${f}`));
  if (note) lines.push('', note);
  return `${lines.join('\n')}\n`;
}

function writeSummary(note) {
  fs.writeFileSync(path.join(outDir, 'summary.txt'), summaryText(note));
}

// ---- one game ----------------------------------------------------------------------

const pad = (x) => String(x).padStart(2, '0');
const pgnDate = (d) => `${d.getFullYear()}.${pad(d.getMonth() + 1)}.${pad(d.getDate())}`;

function scoreComment(r) {
  const time = `${(r.elapsedMs / 1000).toFixed(3)}s`;
  if (!r.score) return time;
  const s = r.score.kind === 'mate'
    ? `${r.score.value > 0 ? '+' : '-'}M${Math.abs(r.score.value)}`
    : signed(r.score.value / 100, 2);
  return `${s}/${r.depth} ${time}`;
}

async function ready(engine) {
  // A fault of the last game, or one between games, is mended here: the
  // engine starts again, and a second failure in a row ends the match.
  for (let attempt = 0; ; attempt++) {
    try {
      if (!engine.alive) await engine.start();
      engine.send('ucinewgame');
      await engine.exchange('isready', 'readyok', 60000);
      return;
    } catch (err) {
      engine.fault(`before a game: ${err.message}`);
      if (attempt >= 1) throw new Error(`${engine.role} (${engine.path}) cannot be started: ${err.message}`);
    }
  }
}

async function playGame(worker, round, opening, aWhite) {
  const white = aWhite ? worker.A : worker.B;
  const black = aWhite ? worker.B : worker.A;
  await Promise.all([ready(white), ready(black)]);
  const date = new Date();
  const pos = opening.fen ? new Chess(opening.fen) : new Chess();
  const start = opening.fen ? `position fen ${opening.fen}` : 'position startpos';
  const uci = [];
  const moves = [];
  for (const m of opening.moves || opening) {
    const mv = pos.move({ from: m.slice(0, 2), to: m.slice(2, 4) });
    uci.push(m);
    moves.push({ san: mv.san, comment: 'book' });
  }
  const clock = { w: opts.baseMs, b: opts.baseMs };
  const colour = { w: 'White', b: 'Black' };
  let result = null; // { score: '1-0' | '0-1' | '1/2-1/2', termination, reason }
  const win = (side, termination, reason) => ({ score: side === 'w' ? '1-0' : '0-1', termination, reason });
  const draw = (termination, reason) => ({ score: '1/2-1/2', termination, reason });

  while (!result) {
    const side = pos.turn();
    const other = side === 'w' ? 'b' : 'w';
    const engine = side === 'w' ? white : black;
    const go = opts.nodes
      ? `go nodes ${opts.nodes}`
      : `go wtime ${Math.max(1, Math.round(clock.w))} btime ${Math.max(1, Math.round(clock.b))}` +
        ` winc ${Math.round(opts.incMs)} binc ${Math.round(opts.incMs)}`;
    // Past its clock (or a minute under --nodes) by --hang seconds, the engine
    // is taken to be stuck.
    const allowance = (opts.nodes ? 60000 : Math.max(0, clock[side])) + opts.hang * 1000;
    let r;
    try {
      r = await engine.think(uci.length ? `${start} moves ${uci.join(' ')}` : start, go, allowance);
    } catch (err) {
      if (!(err instanceof Fault)) throw err;
      engine.fault(`game ${round}: ${err.message}`);
      faults.push(`game ${round}: ${engine.role} (${colour[side]}) ${err.message}`);
      console.error(`sprt: game ${round}: ${engine.role} ${err.message}`);
      result = err.kind === 'crash'
        ? win(other, 'crash', `${colour[side]}'s engine ended`)
        : win(other, 'no answer', `${colour[side]}'s engine does not answer`);
      break;
    }
    if (!opts.nodes) {
      clock[side] -= r.elapsedMs;
      if (clock[side] < -opts.margin) {
        result = win(other, 'time forfeit', `${colour[side]} loses on time`);
        break;
      }
      clock[side] += opts.incMs;
    }
    const m = /^([a-h][1-8])([a-h][1-8])([qrbn]?)$/.exec(r.move);
    const legal = m && pos.moves({ square: m[1], verbose: true })
      .find((v) => v.to === m[2] && (v.promotion || '') === m[3]);
    if (!legal) {
      const what = `illegal move '${r.move}' in ${pos.fen()}`;
      faults.push(`game ${round}: ${engine.role} (${colour[side]}) ${what}`);
      console.error(`sprt: game ${round}: ${engine.role} ${what}`);
      engine.log(`game ${round}: ${what}`);
      result = win(other, 'illegal move', `${colour[side]} makes an illegal move: ${r.move}`);
      break;
    }
    const played = pos.move(legal);
    uci.push(r.move);
    moves.push({ san: played.san, comment: scoreComment(r) });

    if (pos.isCheckmate()) result = win(side, 'checkmate', `${colour[side]} mates`);
    else if (pos.isStalemate()) result = draw('stalemate', 'Draw by stalemate');
    else if (pos.isInsufficientMaterial()) result = draw('insufficient material', 'Draw by insufficient mating material');
    else if (pos.isThreefoldRepetition()) result = draw('threefold repetition', 'Draw by 3-fold repetition');
    else if (pos.isDrawByFiftyMoves()) result = draw('fifty-move rule', 'Draw by fifty moves rule');
    else if (opts.drawAfter && pos.moveNumber() > opts.drawAfter)
      result = draw('adjudication', `Draw by adjudication after move ${opts.drawAfter}`);
  }

  const tags = [
    ['Event', 'torvane3 SPRT'],
    ['Site', os.hostname()],
    ['Date', pgnDate(date)],
    ['Round', round],
    ['White', white.name],
    ['Black', black.name],
    ['Result', result.score],
    ['Termination', result.termination],
    ['TimeControl', opts.nodes ? '-' : opts.tc],
    ['PlyCount', moves.length],
  ];
  if (opts.nodes) tags.push(['Nodes', opts.nodes]);
  if (opening.fen) tags.push(['SetUp', '1'], ['FEN', opening.fen]);
  fs.appendFileSync(pgnPath, formatPgn(tags, moves, result.score, result.reason));

  const aScore = result.score === '1/2-1/2' ? 'd' : (result.score === '1-0') === aWhite ? 'w' : 'l';
  wdl[aScore]++;
  const reason = endings[result.termination];
  if (aScore === 'd') tally[`draws by ${reason}`]++;
  else tally[`${aScore === 'w' ? 'A' : 'B'} wins by ${reason}`]++;
}

// ---- the match ---------------------------------------------------------------------

const players = {
  A: { path: enginePath(opts.engines[0]), options: opts.aOptions, name: opts.aName },
  B: { path: enginePath(opts.engines[1]), options: opts.bOptions, name: opts.bName },
};
const workers = [];
for (let slot = 1; slot <= opts.concurrency; slot++) {
  workers.push({
    A: new Engine('A', slot, players.A.path, players.A.options, ''),
    B: new Engine('B', slot, players.B.path, players.B.options, ''),
  });
}
const everyEngine = () => workers.flatMap((w) => [w.A, w.B]);

async function shutDown() {
  await Promise.all(everyEngine().map((e) => e.quit()));
}

try {
  await Promise.all(everyEngine().map((e) => e.start().catch((err) => {
    throw new Error(`${e.role} (${e.path}) does not start as a UCI engine: ${err.message}`);
  })));
} catch (err) {
  console.error(`sprt: ${err.message}`);
  everyEngine().forEach((e) => e.kill());
  process.exit(1);
}
// The PGN tells the two apart even when both engines give the same name.
{
  const a = opts.aName || workers[0].A.idName || path.basename(players.A.path);
  const b = opts.bName || workers[0].B.idName || path.basename(players.B.path);
  players.A.name = a === b && !opts.aName ? `${a} (A)` : a;
  players.B.name = a === b && !opts.bName ? `${b} (B)` : b;
  for (const w of workers) {
    w.A.name = players.A.name;
    w.B.name = players.B.name;
  }
}

console.log(`A: ${players.A.name}  B: ${players.B.name}  ` +
  `${opts.nodes ? `nodes ${opts.nodes}` : `tc ${opts.tc}`}  ${book.openings.length} ` +
    `${opts.fens ? 'positions' : `openings of ${opts.plies} plies`}  ` +
  `${opts.fixed ? `${opts.fixed} games` : `SPRT [${opts.elo0}, ${opts.elo1}], at most ${opts.games} games`}  ` +
  `output ${outDir}`);

// Games 2k and 2k+1 (from 0) are a pair: one opening, colours swapped. Once
// the match is to stop, no new pair starts, but a pair begun is finished.
let nextGame = 0;
let stopping = false;
let interrupted = 0;
const pairGamesDone = new Map();

function takeGame() {
  if (nextGame >= opts.maxGames) return null;
  if (stopping && nextGame % 2 === 0) return null;
  return nextGame++;
}

function gameDone(index) {
  const pair = Math.floor(index / 2);
  const done = (pairGamesDone.get(pair) || 0) + 1;
  pairGamesDone.set(pair, done);
  if (done < 2 && 2 * pair + 1 < opts.maxGames) return;
  pairGamesDone.delete(pair);
  const llr = llrNow();
  if (!opts.fixed && !verdict && (llr >= bounds.upper || llr <= bounds.lower)) {
    verdict = llr >= bounds.upper ? 'H1 accepted' : 'H0 accepted';
    verdictGames = wdl.w + wdl.d + wdl.l;
    stopping = true;
  }
  console.log(statusLine());
  writeSummary('(in progress)');
}

process.on('SIGINT', () => {
  interrupted++;
  if (interrupted === 1) {
    stopping = true;
    console.error('sprt: finishing the pairs begun; interrupt again to quit at once');
    return;
  }
  everyEngine().forEach((e) => e.kill());
  writeSummary('Interrupted: the games in progress were not counted.');
  process.exit(130);
});

async function runWorker(worker) {
  for (let index; (index = takeGame()) !== null;) {
    const pair = Math.floor(index / 2);
    const opening = opts.fens
      ? book.openings[index % book.openings.length]
      : book.openings[pair % book.openings.length];
    const aWhite = opts.fens ? opening.fen.split(' ')[1] === 'w' : index % 2 === 0;
    await playGame(worker, index + 1, opening, aWhite);
    gameDone(index);
  }
}

let failure = null;
try {
  await Promise.all(workers.map((w) => runWorker(w).catch((err) => {
    failure = failure || err;
    stopping = true;
    nextGame = opts.maxGames; // the other games in progress end this match too
  })));
} finally {
  await shutDown();
}
const note = failure ? `Stopped: ${failure.message}` : '';
writeSummary(note);
console.log(`\n${summaryText(note)}`);
process.exit(failure ? 1 : 0);
