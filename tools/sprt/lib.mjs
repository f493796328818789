// The match runner's arithmetic and bookkeeping, apart from its processes so
// that a test can check them on counts of its own: the seeded shuffle, the
// list of openings, the Elo estimate and the SPRT's log-likelihood ratio.

// mulberry32: small, and the same list on every machine for a given seed.
export function makeRandom(seed) {
  let state = seed >>> 0;
  return () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
}

export function shuffle(items, seed) {
  const out = items.slice();
  const rand = makeRandom(seed);
  for (let i = out.length - 1; i > 0; i--) {
    const j = Math.floor(rand() * (i + 1));
    [out[i], out[j]] = [out[j], out[i]];
  }
  return out;
}

// The openings of a book in torvane3's format (one line of moves a text
// line, each move four upper-case characters, castling as the king's move):
// the first `plies` moves of every line that long, each distinct line once,
// replayed with chess.js. A line with a move that is not legal, or one whose
// position has no move left, is skipped; the rest are sorted, so that the
// book's order does not matter, then shuffled with the seed.
// Returns { openings: [[uci, ...], ...], short, illegal }.
export function buildOpenings(text, plies, seed, Chess) {
  const prefixes = new Set();
  let short = 0;
  let illegal = 0;
  for (const raw of text.split(/\r?\n/)) {
    const line = raw.trim();
    if (!line) continue;
    if (line.length < plies * 4) {
      short++;
      continue;
    }
    prefixes.add(line.slice(0, plies * 4));
  }
  const openings = [];
  for (const prefix of [...prefixes].sort()) {
    const moves = prefix.toLowerCase().match(/.{4}/g);
    const pos = new Chess();
    let ok = moves.every((m) => {
      if (!/^[a-h][1-8][a-h][1-8]$/.test(m)) return false;
      const found = pos.moves({ square: m.slice(0, 2), verbose: true })
        .find((v) => v.to === m.slice(2, 4) && !v.promotion);
      if (!found) return false;
      pos.move(found);
      return true;
    });
    if (ok && pos.isGameOver()) ok = false;
    if (ok) openings.push(moves);
    else illegal++;
  }
  return { openings: shuffle(openings, seed), short, illegal };
}

// ---- the statistics -----------------------------------------------------------
//
// A game scores 1, 1/2 or 0 for A. Over N = W + D + L games the fractions are
// w = W/N, d = D/N, l = L/N, the mean score s = w + d/2, and the per-game
// variance of the score
//     var = w (1 - s)^2 + d (1/2 - s)^2 + l (0 - s)^2 = w + d/4 - s^2,
// so the mean's variance is var / N.

export function scoreStats(w, d, l) {
  const n = w + d + l;
  if (n === 0) return { n, score: NaN, variance: NaN };
  const score = (w + d / 2) / n;
  const variance = w / n + d / (4 * n) - score * score;
  return { n, score, variance: Math.max(variance, 0) };
}

// Logistic Elo of a score fraction: p = 1 / (1 + 10^(-elo/400)).
export function eloFromScore(p) {
  if (p <= 0) return -Infinity;
  if (p >= 1) return Infinity;
  return -400 * Math.log10(1 / p - 1);
}

export function scoreFromElo(elo) {
  return 1 / (1 + Math.pow(10, -elo / 400));
}

// The Elo difference with its 95 % interval: the score plus and minus 1.96
// standard errors of the mean, each mapped through the same curve (so the
// interval is not symmetric around the estimate).
export function eloInterval(w, d, l) {
  const { n, score, variance } = scoreStats(w, d, l);
  if (n === 0) return { elo: NaN, low: NaN, high: NaN };
  const margin = 1.96 * Math.sqrt(variance / n);
  return { elo: eloFromScore(score), low: eloFromScore(score - margin), high: eloFromScore(score + margin) };
}

// The SPRT's bounds on the log-likelihood ratio for the error rates alpha
// (H1 accepted when H0 holds) and beta (H0 accepted when H1 holds).
export function sprtBounds(alpha = 0.05, beta = 0.05) {
  return { lower: Math.log(beta / (1 - alpha)), upper: Math.log((1 - beta) / alpha) };
}

// The log-likelihood ratio of H1 (Elo = elo1) against H0 (Elo = elo0), in
// the generalized (trinomial) approximation cutechess-cli and fishtest use:
// with the scores s0 and s1 that the two logistic Elo values predict, and
// the observed mean s and per-game variance var from above,
//     LLR = (s1 - s0) (2 s - s0 - s1) / (2 var / N).
// It is the log of the ratio of two normal densities of the mean score with
// the observed variance, centred on s1 and on s0. Each count starts at half a
// game: a few games alone spread too little, and with the counts as they are
// two wins and nothing else (a variance near zero) would accept any H1. With
// the half games it takes about 22 straight wins to accept Elo >= 5.
export const priorGames = 0.5;
export function sprtLLR(w, d, l, elo0, elo1) {
  const { n, score, variance } = scoreStats(w + priorGames, d + priorGames, l + priorGames);
  const s0 = scoreFromElo(elo0);
  const s1 = scoreFromElo(elo1);
  return ((s1 - s0) * (2 * score - s0 - s1)) / ((2 * variance) / n);
}

// ---- the PGN text ---------------------------------------------------------------

// One game: tags in the order given, then the move text wrapped at 79
// columns, a comment never split, the result and its reason last.
export function formatPgn(tags, moves, result, reason) {
  const head = tags.map(([k, v]) => `[${k} "${String(v).replace(/\\/g, '\\\\').replace(/"/g, '\\"')}"]`);
  const tokens = [];
  moves.forEach((m, i) => {
    if (i % 2 === 0) tokens.push(`${i / 2 + 1}.`);
    tokens.push(m.san);
    if (m.comment) tokens.push(`{${m.comment}}`);
  });
  tokens.push(result);
  if (reason) tokens.push(`{${reason}}`);
  const lines = [];
  let line = '';
  for (const t of tokens) {
    if (line && line.length + 1 + t.length > 79) {
      lines.push(line);
      line = t;
    } else line = line ? `${line} ${t}` : t;
  }
  if (line) lines.push(line);
  return `${head.join('\n')}\n\n${lines.join('\n')}\n\n`;
}

// Numbers for the report: a sign always, and infinities spelt out.
export function signed(x, digits = 1) {
  if (x === Infinity) return '+inf';
  if (x === -Infinity) return '-inf';
  if (Number.isNaN(x)) return 'n/a';
  const t = x.toFixed(digits);
  return x >= 0 && !t.startsWith('-') ? `+${t}` : t;
}
