// Plays scripted console games with torvane3 --pgn through pipes, line by
// line as a player would (each line waits for the prompt), has W write each
// game's last position, and checks with chess.js, which shares no code with
// the program, that every game in the PGN file loads, ends in that position
// (placement, side to move, castling) and says so in its tags.
//
// usage: node check.mjs TORVANE3 BOOK
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { Chess } from 'chess.js';

const [gamePath, bookPath] = process.argv.slice(2);
if (!gamePath || !bookPath) {
  console.error('usage: node check.mjs TORVANE3 BOOK');
  process.exit(2);
}

const p = (n) => Array(n).fill('p');
// A line, or { fen } to write game.fen before the next line. Each 'w' ends
// one game of the file, in order.
const runs = [
  {
    name: 'the start, a set-up file, the editor',
    lines: [
      'x2', ...p(24), 'b', 'b', 'b', ...p(2), 'w', 'n',
      'e2e4', ...p(10), 'w',
      { fen: 'r3k2r/pP4pp/8/8/8/8/P5PP/R3K2R w KQkq -' }, 'r', 'b7a8', ...p(12), 'w',
      's', 'c', 'wke1', 'wra1', 'wpc7', 'bke8', 'bph7', 'wm', 'q', 'c7c8', ...p(10), 'w', 'q',
    ],
    games: 4,
  },
  {
    name: 'a mate, taken back and played on',
    lines: [{ fen: '7k/8/6K1/8/8/8/8/R7 w - -' }, 'x2', 'r', 'a1b1', 'b1b8', 'w', 'b', 'b', 'b1b7',
            ...p(4), 'w', 'q'],
    games: 2,
  },
  {
    name: 'a stalemate',
    lines: [{ fen: '7k/5Q2/8/8/8/8/8/6K1 w - -' }, 'r', 'f7g6', 'w', 'q'],
    games: 1,
  },
  {
    name: 'an en-passant capture after a takeback',
    lines: [{ fen: '4k3/3p4/8/4P3/8/8/8/4K3 b - -' }, 'x2', 'r', 'd7d5', 'b', 'e5d6', ...p(3), 'w',
            'q'],
    games: 1,
  },
];

const prompt = /\x1b\[(13;55|12;40)H(\x1b\[\?25h)?$/;
const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

async function play(run) {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'torvane3-pgn-'));
  fs.copyFileSync(bookPath, path.join(dir, 'book.txt'));
  const proc = spawn(gamePath, ['--pgn', 'games.pgn'], { cwd: dir, stdio: ['pipe', 'pipe', 'pipe'] });
  let out = '';
  let err = '';
  proc.stdout.on('data', (d) => { out += d.toString('latin1'); });
  proc.stderr.on('data', (d) => { err += d.toString('latin1'); });
  const exited = new Promise((r) => proc.on('exit', (code) => r(code)));
  const waitPrompt = async (mark, what) => {
    const end = Date.now() + 60000;
    for (;;) {
      if (out.length > mark && prompt.test(out)) {
        const len = out.length;
        await sleep(30);
        if (out.length === len) return;
      }
      if (Date.now() > end) throw new Error(`no prompt after '${what}': ${JSON.stringify(out.slice(-200))}`);
      await sleep(10);
    }
  };
  const fens = [];
  await waitPrompt(0, 'start');
  for (const [i, line] of run.lines.entries()) {
    if (typeof line === 'object') {
      fs.writeFileSync(path.join(dir, 'game.fen'), line.fen + '\n');
      continue;
    }
    const mark = out.length;
    proc.stdin.write(line + '\n');
    if (i === run.lines.length - 1) break; // the Q that ends the program
    await waitPrompt(mark, line);
    if (line === 'w') fens.push(fs.readFileSync(path.join(dir, 'game.fen'), 'latin1').trim());
  }
  proc.stdin.end();
  const code = await exited;
  const text = fs.readFileSync(path.join(dir, 'games.pgn'), 'latin1');
  fs.rmSync(dir, { recursive: true, force: true });
  if (code !== 0 || err !== '') throw new Error(`exit ${code}, stderr '${err}'`);
  return { text, fens };
}

const tagOrder = ['Event', 'Site', 'Date', 'Round', 'White', 'Black', 'Result'];

function check(run, text, fens) {
  const problems = [];
  for (const line of text.split('\n'))
    if (line.length > 80) problems.push(`a line of ${line.length} characters: ${line}`);
  const games = text.trim().split(/\n\n(?=\[Event )/);
  if (games.length !== run.games || fens.length !== run.games)
    problems.push(`${games.length} games in the file and ${fens.length} positions, wanted ${run.games}`);
  games.forEach((pgn, i) => {
    const chess = new Chess();
    try {
      chess.loadPgn(pgn);
    } catch (e) {
      problems.push(`game ${i + 1} does not load: ${e.message}`);
      return;
    }
    const tags = chess.getHeaders();
    const names = Object.keys(tags);
    if (names.slice(0, 7).join() !== tagOrder.join())
      problems.push(`game ${i + 1}: tags ${names.join()}`);
    if (Number(tags.PlyCount) !== chess.history().length)
      problems.push(`game ${i + 1}: PlyCount ${tags.PlyCount}, ${chess.history().length} moves`);
    const decided = chess.isCheckmate() ? (chess.turn() === 'w' ? '0-1' : '1-0')
      : chess.isStalemate() ? '1/2-1/2' : '*';
    if (tags.Result !== decided) problems.push(`game ${i + 1}: Result ${tags.Result}, the board says ${decided}`);
    const want = (fens[i] || '').split(/\s+/);
    if (want.length < 3) want.push('-');
    const got = chess.fen().split(' ').slice(0, 3);
    if (got.join(' ') !== want.slice(0, 3).join(' '))
      problems.push(`game ${i + 1} ends at ${got.join(' ')}, W wrote ${fens[i]}`);
  });
  return problems;
}

let failed = 0;
let passed = 0;
for (const run of runs) {
  let problems;
  let text = '';
  try {
    const r = await play(run);
    text = r.text;
    problems = check(run, r.text, r.fens);
  } catch (e) {
    problems = [e.message];
  }
  if (problems.length === 0) {
    ++passed;
    console.log(`ok: ${run.name}`);
  } else {
    ++failed;
    console.log(`FAIL: ${run.name}\n  ${problems.join('\n  ')}\n--- the file ---\n${text}`);
  }
}
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
