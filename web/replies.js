// Readers of the game server's replies. Every function is pure: it takes the
// lines of one reply (already decoded, one Latin-1 byte per code point, no
// CR LF) and returns plain objects, so the page can be tested without a DOM.

/** Number of resources in every stock and cost line of the game. */
export const RESOURCES_COUNT = 5;

const COORDS = "(-?\\d+,-?\\d+)";
const int = (text) => (/^-?\d+$/.test(text) ? Number(text) : null);

/** "3,5" -> { x: 3, y: 5 }; null for anything that is not two integers. */
export function parseCoords(text) {
  const m = /^(-?\d+),(-?\d+)$/.exec(String(text).trim());
  return m ? { x: Number(m[1]), y: Number(m[2]) } : null;
}

/** "3000/3000/3000/3000/3000" -> [3000, ...]; null when a part is not an integer. */
export function parseStock(text) {
  const parts = String(text).split("/").map(int);
  return parts.includes(null) ? null : parts;
}

// "key:value" with the value after the first colon (values may hold colons).
function keyValue(line) {
  const at = line.indexOf(":");
  return at < 0 ? [line, null] : [line.slice(0, at), line.slice(at + 1)];
}

// The records of a list: each begins with a "#n" line; "nbLines:" heads are skipped.
function records(lines) {
  const out = [];
  for (const line of lines) {
    if (/^#-?\d+/.test(line)) out.push([line]);
    else if (out.length > 0) out.push(out.pop().concat(line));
  }
  return out;
}

// "#12" -> 12
const uidOf = (line) => Number(/^#(-?\d+)/.exec(line)[1]);

// "bourg:0": the name may hold a colon, the type is after the last one.
function nameType(line) {
  const at = line.lastIndexOf(":");
  return { name: line.slice(0, at), type: int(line.slice(at + 1)) };
}

// The common head of buildings, works and troops: "#0", "name:type", "position:x,y".
function piece(rec) {
  const { name, type } = nameType(rec[1] ?? ":");
  const fields = Object.fromEntries(rec.slice(2).map(keyValue));
  return { piece: { uid: uidOf(rec[0]), name, type, at: parseCoords(fields.position ?? "") }, fields };
}

/** Reply lines -> [{ head, lines }] blocks; a headless "END RETURN" gives head null, a line outside blocks { bare: true }. */
export function splitBlocks(lines) {
  const out = [];
  let open = null;
  let loose = [];
  const flushLoose = () => {
    for (const line of loose) out.push({ head: null, lines: [line], bare: true });
    loose = [];
  };
  for (const line of lines) {
    if (open) {
      if (line === "END RETURN") {
        out.push(open);
        open = null;
      } else open.lines.push(line);
    } else if (line.startsWith("RETURN ") || line === "TURN PASSED") {
      flushLoose();
      open = { head: line, lines: [] };
    } else if (line === "END RETURN") {
      // A refusal such as "ERROR: CHAMPION UNKNOWN" comes without a head.
      out.push({ head: null, lines: loose });
      loose = [];
    } else loose.push(line);
  }
  flushLoose();
  // A block cut short is kept, marked, rather than dropped.
  if (open) out.push({ ...open, incomplete: true });
  return out;
}

/** "nbLines:3","0:Plainiers",... -> [{ id, name }] (races, classes, resources). */
export function parseMenu(lines) {
  const out = [];
  for (const line of lines) {
    const m = /^(\d+):(.*)$/.exec(line);
    if (m) out.push({ id: Number(m[1]), name: m[2] });
  }
  return out;
}

/** "WIDTH:10","HEIGHT:10" -> { width, height } (null for a missing one). */
export function parseGrid(lines) {
  const fields = Object.fromEntries(lines.map(keyValue));
  return { width: int(fields.WIDTH ?? ""), height: int(fields.HEIGHT ?? "") };
}

/** GET GAME LANDS -> [{ id, name, move, sign, dice: { resource: "1D4+0" } }]. */
export function parseLands(lines) {
  return records(lines).map((rec) => {
    const [, name] = keyValue(rec[0]);
    const land = { id: uidOf(rec[0]), name, move: null, sign: null, dice: {} };
    for (const [key, value] of rec.slice(1).map(keyValue)) {
      if (key === "move") land.move = int(value);
      else if (key === "car") land.sign = value;
      else land.dice[key] = value;
    }
    return land;
  });
}

/** GET BUILDINGS -> [{ uid, name, type, at }]. */
export function parseBuildings(lines) {
  return records(lines).map((rec) => piece(rec).piece);
}

// "150:1/75:1/..." -> [150, 75, ...]: each share is "amount:every".
const perTurn = (text) => (text ?? "").split("/").map((share) => int(share.split(":")[0]));

/** GET CONSTRUCTIONS / GET RECRUITMENTS -> [{ uid, name, type, at, turnsLeft, perTurn, count }]. */
export function parseWorks(lines) {
  return records(lines).map((rec) => {
    const { piece: work, fields } = piece(rec);
    work.turnsLeft = int(fields.turn ?? "");
    work.perTurn = perTurn(fields.ressPerTurn);
    work.count = fields.nbTroops === undefined ? undefined : int(fields.nbTroops);
    return work;
  });
}

/** GET TROOPS -> [{ uid, name, type, at, units }]. */
export function parseTroops(lines) {
  return records(lines).map((rec) => {
    const { piece: troop, fields } = piece(rec);
    troop.units = int(fields.nbTroupes ?? "");
    return troop;
  });
}

// "att:5-def:3-vit:7" -> { att: 5, def: 3, vit: 7 } (a value may be negative).
function caracts(text) {
  const out = {};
  for (const m of (text ?? "").matchAll(/([A-Za-z]+):(-?\d+)/g)) out[m[1]] = Number(m[2]);
  return out;
}

function armyTroop(rec) {
  const { piece: troop, fields } = piece(rec);
  delete troop.at; // an army's troops stand at -1,-1: the champion's square counts
  return {
    ...troop,
    units: int(fields.nbTroupes ?? ""),
    line: int(fields.line ?? ""),
    col: int(fields.col ?? ""),
  };
}

/** GET CHAMPIONS (full records, army up to "endUnits") -> [Champion]. */
export function parseChampions(lines) {
  const out = [];
  let champ = null;
  let army = null; // lines of the army, from "moveTo:" up to "endUnits"
  for (const line of lines) {
    if (army) {
      if (line === "endUnits") {
        champ.army = records(army).map(armyTroop);
        army = null;
      } else army.push(line);
    } else if (/^#-?\d+$/.test(line)) {
      champ = {
        uid: uidOf(line),
        name: null,
        race: null,
        class: null,
        caracts: {},
        cost: null,
        upkeep: null,
        produces: null,
        player: null,
        inGame: false,
        exp: null,
        level: null,
        at: null,
        moveTo: null,
        army: [],
      };
      out.push(champ);
    } else if (champ && champ.name === null) {
      champ.name = line; // the line after "#n" is the bare name
    } else if (champ) {
      const [key, value] = keyValue(line);
      if (key === "race") champ.race = value;
      else if (key === "class") champ.class = value;
      else if (key === "caracts") champ.caracts = caracts(value);
      else if (key === "ressNec") champ.cost = parseStock(value);
      else if (key === "ressMaintient") champ.upkeep = parseStock(value);
      else if (key === "ressProduite") champ.produces = parseStock(value);
      else if (key === "player") champ.player = value;
      else if (line === "ingame") champ.inGame = true;
      else if (key === "exp") champ.exp = int(value);
      else if (key === "niveau") champ.level = int(value);
      else if (key === "position") champ.at = parseCoords(value);
      else if (key === "moveTo") {
        const to = parseCoords(value);
        champ.moveTo = to && !(to.x === -1 && to.y === -1) ? to : null;
        army = [];
      }
    }
  }
  return out;
}

/** GET MAP -> { count, runs: [[first, last], ...] } ("5" alone is [5, 5]). */
export function parseRuns(lines) {
  let count = null;
  const runs = [];
  for (const line of lines) {
    const m = /^(\d+)(?:-(\d+))?$/.exec(line);
    if (line.startsWith("count:")) count = int(line.slice(6));
    else if (m) runs.push([Number(m[1]), Number(m[2] ?? m[1])]);
  }
  return { count, runs };
}

/** GET MAPPED -> [{ start, signs }]: a run's first square and its terrain signs. */
export function parseMapped(lines) {
  const out = [];
  let run = null;
  let inside = false;
  for (const line of lines) {
    if (inside) {
      if (line === "*)") inside = false;
      else run.signs += line;
    } else if (line === "(*" && run) inside = true;
    else if (/^\d+$/.test(line)) out.push((run = { start: Number(line), signs: "" }));
  }
  return out;
}

/** GET SQUARES / GET SQUARE x,y -> [{ number, x, y, terrain, resources }]; a refusal gives []. */
export function parseSquares(lines) {
  const out = [];
  for (const line of lines) {
    const head = /^#(\d+) \((-?\d+),(-?\d+)\)$/.exec(line);
    const [key, value] = keyValue(line);
    if (head) {
      out.push({
        number: Number(head[1]),
        x: Number(head[2]),
        y: Number(head[3]),
        terrain: null,
        resources: null,
      });
    } else if (out.length > 0 && key === "terrain") out.at(-1).terrain = int(value);
    else if (out.length > 0 && key === "ressource") out.at(-1).resources = parseStock(value);
  }
  return out;
}

const VISIBLE = /^(Champion|Creature|Batiment) (.+) \((.*)\) visible a (-?\d+),(-?\d+)$/;
const KINDS = { Champion: "champion", Creature: "troop", Batiment: "building" };

/** "Champion ilvaen (demo) visible a 3,5" lines -> [{ kind, name, player, at }], duplicates kept. */
export function parseVisibles(lines) {
  const out = [];
  for (const line of lines) {
    const m = VISIBLE.exec(line);
    if (m)
      out.push({ kind: KINDS[m[1]], name: m[2], player: m[3], at: { x: Number(m[4]), y: Number(m[5]) } });
  }
  return out;
}

/** RECRUIT AVAIL -> [{ id, name }], one per creature (the server lists one per building). */
export function parseRecruitAvail(lines) {
  const seen = new Map();
  for (const line of lines) {
    const m = /^#(\d+):(.*)$/.exec(line);
    if (m && !seen.has(Number(m[1]))) seen.set(Number(m[1]), { id: Number(m[1]), name: m[2] });
  }
  return [...seen.values()];
}

/** GET TAVERN -> [{ uid, name, bidder, turnsBeforeSold, price }] (bidder null for "no player"). */
export function parseTavern(lines) {
  return records(lines).map((rec) => {
    const fields = Object.fromEntries(rec.slice(3).map(keyValue));
    const bidder = rec[2] !== undefined && rec[2].startsWith("player:") ? rec[2].slice(7) : null;
    return {
      uid: uidOf(rec[0]),
      name: rec[1] ?? null,
      bidder,
      turnsBeforeSold: int(fields.turnBeforeSold ?? ""),
      price: int(fields.price ?? ""),
    };
  });
}

/** The first login's record or GET ALL's -> { id, name, turnsPlayed, turnsLeft, race, stock, lists..., known }. */
export function parseRecord(lines) {
  const head = {};
  const sections = {};
  let current = null;
  for (const line of lines) {
    if (/^\[.+\]$/.test(line)) sections[(current = line)] = [];
    else if (current) sections[current].push(line);
    else if (/^#-?\d+$/.test(line)) head.id = uidOf(line);
    else head[keyValue(line)[0]] = keyValue(line)[1];
  }
  const part = (name) => sections[name] ?? [];
  return {
    id: head.id ?? null,
    name: head.name ?? null,
    turnsPlayed: int(head.nbTurns ?? ""),
    turnsLeft: int(head.availTurns ?? ""),
    race: head.race ?? null,
    stock: parseStock(head.capital ?? ""),
    buildings: parseBuildings(part("[towns]")),
    constructions: parseWorks(part("[under construction]")),
    troops: parseTroops(part("[troops]")),
    recruitments: parseWorks(part("[under recruitement]")),
    champions: parseChampions(part("[champions]")),
    known: parseRuns(part("[MAP]")),
  };
}

// ---------------------------------------------------------------- the log

/** Index in current where the lines not seen in previous begin (0 when nothing overlaps). */
// The log only grows and keeps its newest 1000 lines: the longest end of
// previous that starts current is what was already seen. A restart empties
// the log, so then nothing overlaps and every line is new.
export function newLogStart(previous, current) {
  for (let k = Math.min(previous.length, current.length); k > 0; k--) {
    const from = previous.length - k;
    let i = 0;
    while (i < k && previous[from + i] === current[i]) i++;
    if (i === k) return k;
  }
  return 0;
}

const at = (text) => parseCoords(text);
const LOG_KINDS = [
  [/^Turn: (\d+) +\/ avail (-?\d+)$/, (m) => ({ kind: "turn", turn: +m[1], left: +m[2] })],
  [
    new RegExp(`^#INFO: d\u00e9marrage construction (.+) \u00e0 ${COORDS}$`),
    (m) => ({ kind: "started", what: "construction", name: m[1], at: at(m[2]) }),
  ],
  [
    new RegExp(`^#INFO: d\u00e9marrage recrutement (\\d+) troupes de (.+) \u00e0 ${COORDS}$`),
    (m) => ({ kind: "started", what: "recruitment", count: +m[1], name: m[2], at: at(m[3]) }),
  ],
  [
    new RegExp(`^#INFO: (construction|recrutement) (.+) impossible \u00e0 ${COORDS}$`),
    (m) => ({
      kind: "impossible",
      what: m[1] === "construction" ? "construction" : "recruitment",
      name: m[2],
      at: at(m[3]),
    }),
  ],
  [
    new RegExp(`^ {3}>> manque (.+) \u00e0 ${COORDS}$`),
    (m) => ({ kind: "missing", name: m[1], at: at(m[2]) }),
  ],
  [
    new RegExp(`^#INFO: Nouveau batiment (.+) \u00e0 ${COORDS}$`),
    (m) => ({ kind: "built", name: m[1], at: at(m[2]) }),
  ],
  [
    new RegExp(`^#INFO: Nouvelle\\(s\\) troupe\\(s\\) (\\d+) (.+) \u00e0 ${COORDS}$`),
    (m) => ({ kind: "recruited", count: +m[1], name: m[2], at: at(m[3]) }),
  ],
  [
    new RegExp(`^Deplacement de (.+) : ${COORDS} -> ${COORDS}$`),
    (m) => ({ kind: "move", champion: m[1], from: at(m[2]), to: at(m[3]) }),
  ],
  [/^(?:ERROR|ERREUR|erreur):|^wrong line number \(max:\d+\)$/, (m) => ({ kind: "error", text: m.input })],
  [
    /^Attaquant : (.*):(-?\d+) {3}Defendant : (.*):(-?\d+)$/,
    (m) => ({ kind: "battle", attacker: m[1], attackerPower: +m[2], defender: m[3], defenderPower: +m[4] }),
  ],
  [
    /^Champion (.+) \((.*)\) est mort sur le champ de bataille$/,
    (m) => ({ kind: "death", champion: m[1], player: m[2] }),
  ],
  [
    /^Champion (.+) \((.*)\) a fuit le champ de bataille$/,
    (m) => ({ kind: "flee", champion: m[1], player: m[2] }),
  ],
];

/** One log line -> { kind, ...its fields }; { kind: "other" } when unknown. */
export function classifyLogLine(line) {
  for (const [re, make] of LOG_KINDS) {
    const m = re.exec(line);
    if (m) return make(m);
  }
  return { kind: "other" };
}

// The lines a battle writes after its "Attaquant" line. Army lines are
// "n:" and stacks of "count name" each followed by three blanks (which the
// way to the page may have trimmed); a parried blow keeps the game's
// literal "~ 3" in place of the victim's name.
const ARMY_LINE = /^([1-3]):((?:\d+ \S.*)?)$/;
const BATTLE_LINES = [
  /^DEBUT TOUR$/,
  /^ARMEE DE(?: |$)/,
  ARMY_LINE,
  /^-{36}$/,
  /^.+ \(.*\) --> .+ \(.*\) dommage: -?\d+ {3}-?\d+ morts$/,
  /^.+ \(.*\) --> .* \(.*\)pare$/,
  /^Unite morte: .+ \(.*\)$/,
  /^.+ n'a rien a taper !$/,
];

/** Log lines -> entries: one per line, or one per battle report with its summary (powers from creatures, the rules' list, when given). */
export function groupLog(lines, creatures) {
  const out = [];
  let battle = null; // the report being read: it runs to the first line no battle writes
  for (const line of lines) {
    const info = classifyLogLine(line);
    if (
      battle &&
      (BATTLE_LINES.some((re) => re.test(line)) || info.kind === "death" || info.kind === "flee")
    ) {
      battle.lines.push(line);
      continue;
    }
    battle = null;
    if (info.kind === "battle") out.push((battle = { kind: "battle", lines: [line] }));
    else out.push({ ...info, lines: [line] });
  }
  for (const entry of out) if (entry.kind === "battle") entry.summary = battleSummary(entry.lines, creatures);
  return out;
}

// "1:20 milicien   10 milicien   " -> [{ units: 20, name: "milicien" }, ...]
function stacks(body) {
  return body.trim() === ""
    ? []
    : body
        .trim()
        .split(/ {3,}/)
        .map((stack) => {
          const m = /^(\d+) (.+)$/.exec(stack);
          return { units: Number(m[1]), name: m[2] };
        });
}

// A unit's own share of its side's power, as the game counts it.
const unitBase = (c) => (c.att ?? 0) + (c.def ?? 0) + 5 * (c.vit ?? 0) + (c.pdv ?? 0);
const sum = (list, f) => list.reduce((s, x) => s + f(x), 0);

// A side's power after the battle: from the creatures when all are known
// (the champion's share per unit solved from the first drawing), otherwise
// in proportion to the units left.
function powerAfter(power, first, last, creatures) {
  const units = sum(first, (s) => s.units);
  if (units === 0) return power;
  const base = new Map(
    (creatures ?? []).map((c) => [c.name.toLowerCase(), unitBase(c.characteristics ?? {})]),
  );
  const known = [...first, ...last].every((s) => base.has(s.name.toLowerCase()));
  if (!known) return Math.round((power * sum(last, (s) => s.units)) / units);
  const b = (s) => base.get(s.name.toLowerCase());
  const share = (power - sum(first, (s) => s.units * b(s))) / units;
  return Math.round(sum(last, (s) => s.units * (b(s) + share)));
}

/** Battle report lines -> { attacker, defender, rounds, kills, holder, broke }, sides { player, power, powerAfter, units, unitsAfter, exp }. */
// The armies are drawn once before the first round and again after each,
// so the rounds fought are the drawings less one.
export function battleSummary(reportLines, creatures) {
  const head = classifyLogLine(reportLines[0] ?? "");
  const drawings = []; // each: [attacker's stacks, defender's stacks]
  const kills = [];
  let broke = null;
  let side = -1;
  for (const line of reportLines) {
    const army = ARMY_LINE.exec(line);
    const dead = /^Unite morte: (.+) \((.*)\)$/.exec(line);
    const info = classifyLogLine(line);
    if (line === "DEBUT TOUR") {
      drawings.push([[], []]);
      side = -1;
    } else if (line.startsWith("ARMEE DE") && drawings.length > 0) side = Math.min(side + 1, 1);
    else if (army && side >= 0) drawings.at(-1)[side].push(...stacks(army[2]));
    else if (dead) kills.push({ player: dead[2], name: dead[1] });
    else if (info.kind === "death" || info.kind === "flee") broke = info;
  }
  const first = drawings[0] ?? [[], []];
  const last = drawings.at(-1) ?? [[], []];
  const make = (i, player, power) => ({
    player,
    power,
    powerAfter: powerAfter(power, first[i], last[i], creatures),
    units: sum(first[i], (s) => s.units),
    unitsAfter: sum(last[i], (s) => s.units),
  });
  const attacker = make(0, head.attacker ?? null, head.attackerPower ?? 0);
  const defender = make(1, head.defender ?? null, head.defenderPower ?? 0);
  attacker.exp = defender.power - defender.powerAfter;
  defender.exp = attacker.power - attacker.powerAfter;
  // The defender keeps the square unless its army is gone and the
  // attacker's is not; a champion that died or fled holds nothing.
  let holder = defender.unitsAfter === 0 && attacker.unitsAfter > 0 ? "attacker" : "defender";
  if (broke && broke.player === attacker.player) holder = "defender";
  else if (broke && broke.player === defender.player) holder = "attacker";
  return { attacker, defender, rounds: Math.max(drawings.length - 1, 0), kills, holder, broke };
}
