#!/usr/bin/env node
// A UCI engine for the runner's test, with chess.js for its moves: it plays
// the first legal move at once, or, with "setoption name Mode value faults",
// commits one fault a game, counted in a file of the folder it runs in so
// that the count survives its restarts: game 1 an illegal move, game 2 it
// ends, game 3 it never answers, game 4 it answers 1.5 s late.
import fs from 'node:fs';
import readline from 'node:readline';
import { Chess } from 'chess.js';

let mode = 'weak';
let game = 0;
let pos = new Chess();
const say = (line) => process.stdout.write(`${line}\n`);

function firstMove() {
  const m = pos.moves({ verbose: true })[0];
  return m ? m.from + m.to + (m.promotion || '') : '0000';
}

readline.createInterface({ input: process.stdin }).on('line', (line) => {
  const words = line.trim().split(/\s+/);
  switch (words[0]) {
    case 'uci':
      say('id name fake');
      say('option name Mode type string default weak');
      say('uciok');
      break;
    case 'setoption':
      if (/^setoption name Mode value /.test(line)) mode = line.split(' ').pop();
      break;
    case 'isready':
      say('readyok');
      break;
    case 'ucinewgame':
      if (mode === 'faults') {
        game = Number(fs.existsSync('fake-games') ? fs.readFileSync('fake-games', 'utf8') : 0) + 1;
        fs.writeFileSync('fake-games', String(game));
      }
      break;
    case 'position': {
      const at = words.indexOf('moves');
      pos = words[1] === 'fen' ? new Chess(words.slice(2, at < 0 ? undefined : at).join(' ')) : new Chess();
      for (const m of at < 0 ? [] : words.slice(at + 1))
        pos.move({ from: m.slice(0, 2), to: m.slice(2, 4), promotion: m[4] });
      break;
    }
    case 'go':
      if (mode !== 'faults') say(`bestmove ${firstMove()}`);
      else if (game === 1) say('bestmove a1a1');
      else if (game === 2) process.exit(3);
      else if (game === 4) setTimeout(() => say(`bestmove ${firstMove()}`), 1500);
      // game 3: no answer at all
      break;
    case 'quit':
      process.exit(0);
  }
});
