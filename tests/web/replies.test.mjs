import { test } from "node:test";
import assert from "node:assert/strict";
import * as r from "../../web/replies.js";

// Lines given several to a source line: only for lines that hold no blank.
const W = (text) => text.trim().split(/\s+/);
const at = (x, y) => ({ x, y });

const ILVAEN = W(`#8 ilvaen race:Sylvains class:rodeur caracts:att:5-def:3-vit:7-pdv:19-depl:6-scout:4
  ressNec:545/0/0/0/0 ressMaintient:5/0/0/0/0 ressProduite:0/0/0/0/0 player:demo ingame exp:0 niveau:0
  position:3,5 moveTo:-1,-1`);
const FIRST_LOGIN = W(`#0 name:demo nbTurns:0 availTurns:200 race:Plainiers capital:3000/3000/3000/3000/3000
  [towns] nbLines:0 [under construction] nbLines:0 [troops] nbLines:0 [under recruitement] nbLines:0
  [champions] nbLines:1`).concat(ILVAEN, W(`endUnits [MAP] count:9 1-7 11-17 21-27 31-37 41-47 51-57 61-67
  71-77 81-87`), "");
const HILDE = W(`#7 hilde race:Plainiers class:rodeur caracts:att:4-def:3-vit:5-pdv:21-depl:5-scout:4
  ressNec:525/0/0/0/0 ressMaintient:5/0/0/0/0 ressProduite:0/0/0/0/0 player:alice ingame exp:320 niveau:0
  position:3,5 moveTo:1,2 endUnits`);
const milicien = { name: "milicien", type: 0 };

test("each reply reader on the game's own texts", () => {
  const cases = [
    [r.parseMenu, ["nbLines:3", "2:erudit", "0:guerrier", "1:rodeur"],
      [{ id: 2, name: "erudit" }, { id: 0, name: "guerrier" }, { id: 1, name: "rodeur" }]],
    [r.parseGrid, ["WIDTH:12", "HEIGHT:10"], { width: 12, height: 10 }],
    [r.parseLands, ["nbLines:6", "#0:prairie", "move:1", "car:.", "or:1D4+0", "bois:1D6+0", "pierre:1D4+0",
      "fer:0D0+0", "cristal:0D0+0", "#5:lande", "move:1", "car:,", "or:1D3+0", "bois:1D4+0", "pierre:1D6+0",
      "fer:1D3+0", "cristal:0D0+0"],
    [{ id: 0, name: "prairie", move: 1, sign: ".",
      dice: { or: "1D4+0", bois: "1D6+0", pierre: "1D4+0", fer: "0D0+0", cristal: "0D0+0" } },
    { id: 5, name: "lande", move: 1, sign: ",",
      dice: { or: "1D3+0", bois: "1D4+0", pierre: "1D6+0", fer: "1D3+0", cristal: "0D0+0" } }]],
    [r.parseStock, "2490/2676/2640/2990/3000", [2490, 2676, 2640, 2990, 3000]],
    [r.parseStock, "2490/x/2640", null],
    [r.parseCoords, "3,5", at(3, 5)],
    [r.parseCoords, "3 5", null],
    [r.parseBuildings, ["nbLines:1", "#0", "bourg:0", "position:3,5"], [{ uid: 0, name: "bourg", type: 0, at: at(3, 5) }]],
    [r.parseWorks, ["nbLines:1", "#0", "bourg:0", "position:3,5", "turn:4", "ressPerTurn:150:1/75:1/75:1/0:1/0:1"],
      [{ uid: 0, name: "bourg", type: 0, at: at(3, 5), turnsLeft: 4, perTurn: [150, 75, 75, 0, 0], count: undefined }]],
    [r.parseWorks, ["nbLines:1", "#0", "milicien:0", "position:3,5", "turn:2", "ressPerTurn:20:1/5:1/0:1/5:1/0:1",
      "nbTroops:1"], [{ uid: 0, ...milicien, at: at(3, 5), turnsLeft: 2, perTurn: [20, 5, 0, 5, 0], count: 1 }]],
    [r.parseTroops, ["nbLines:2", "#0", "milicien:0", "position:3,5", "nbTroupes:20", "#1", "milicien:0",
      "position:1,2", "nbTroupes:10"],
    [{ uid: 0, ...milicien, at: at(3, 5), units: 20 }, { uid: 1, ...milicien, at: at(1, 2), units: 10 }]],
    [r.parseRuns, ["count:3", "5", "11-17", "21-27", ""], { count: 3, runs: [[5, 5], [11, 17], [21, 27]] }],
    [r.parseMapped, ["1", "(*", "ff,.fff", "*)", "11", "(*", "f.~.n^f", "*)"],
      [{ start: 1, signs: "ff,.fff" }, { start: 11, signs: "f.~.n^f" }]],
    [r.parseSquares, ["#43 (3,5)", "terrain:2", "ressource:2/6/7/7/0", "#13 (3,2)", "terrain:4", "ressource:0/2/0/2/1"],
      [{ number: 43, x: 3, y: 5, terrain: 2, resources: [2, 6, 7, 7, 0] },
        { number: 13, x: 3, y: 2, terrain: 4, resources: [0, 2, 0, 2, 1] }]],
    [r.parseSquares, ["ERROR: PLAYER DON'T KNOWN THIS SQUARE"], []],
    [r.parseVisibles, ["Champion ilvaen (demo) visible a 3,5", "Creature milicien (demo) visible a 1,2",
      "Batiment bourg (demo) visible a 3,5", "Batiment bourg (demo) visible a 3,5"],
    [{ kind: "champion", name: "ilvaen", player: "demo", at: at(3, 5) },
      { kind: "troop", name: "milicien", player: "demo", at: at(1, 2) },
      { kind: "building", name: "bourg", player: "demo", at: at(3, 5) },
      { kind: "building", name: "bourg", player: "demo", at: at(3, 5) }]],
    [r.parseRecruitAvail, ["#0:milicien", "#2:archer", "#0:milicien"], [{ id: 0, name: "milicien" }, { id: 2, name: "archer" }]],
    [r.parseTavern, ["#3", "dorine", "no player", "turnBeforeSold:20", "price:500", "#24", "yvain", "player:bob",
      "turnBeforeSold:19", "price:1000"],
    [{ uid: 3, name: "dorine", bidder: null, turnsBeforeSold: 20, price: 500 },
      { uid: 24, name: "yvain", bidder: "bob", turnsBeforeSold: 19, price: 1000 }]],
  ];
  for (const [parse, input, expected] of cases) {
    assert.deepEqual(parse(input), expected, `${parse.name} ${JSON.stringify(input).slice(0, 60)}`);
  }
});

test("champions: every field, the army up to endUnits, and the next record", () => {
  const army = W(`#0 milicien:0 position:-1,-1 nbTroupes:20 line:1 col:1
    #1 milicien:0 position:-1,-1 nbTroupes:10 line:2 col:3 endUnits`);
  const [ilvaen, hilde, ...rest] = r.parseChampions(["nbLines:2", ...ILVAEN, ...army, ...HILDE]);
  assert.deepEqual(ilvaen, {
    uid: 8, name: "ilvaen", race: "Sylvains", class: "rodeur",
    caracts: { att: 5, def: 3, vit: 7, pdv: 19, depl: 6, scout: 4 },
    cost: [545, 0, 0, 0, 0], upkeep: [5, 0, 0, 0, 0], produces: [0, 0, 0, 0, 0],
    player: "demo", inGame: true, exp: 0, level: 0, at: at(3, 5), moveTo: null,
    army: [{ uid: 0, ...milicien, units: 20, line: 1, col: 1 }, { uid: 1, ...milicien, units: 10, line: 2, col: 3 }],
  });
  assert.deepEqual([hilde.name, hilde.exp, hilde.moveTo, hilde.army, rest], ["hilde", 320, at(1, 2), [], []]);
});

test("the first login's record", () => {
  const record = r.parseRecord(FIRST_LOGIN);
  assert.deepEqual({ ...record, champions: record.champions.map((c) => c.name) }, {
    id: 0, name: "demo", turnsPlayed: 0, turnsLeft: 200, race: "Plainiers", stock: [3000, 3000, 3000, 3000, 3000],
    buildings: [], constructions: [], troops: [], recruitments: [], champions: ["ilvaen"],
    known: { count: 9, runs: [[1, 7], [11, 17], [21, 27], [31, 37], [41, 47], [51, 57], [61, 67], [71, 77], [81, 87]] },
  });
});

test("blocks of a reply", () => {
  const cases = [
    [["RETURN GAME RESSOURCES", "nbLines:1", "0:or", "END RETURN", "RETURN PLAYER RESSOURCES",
      "3000/3000/3000/3000/3000", "END RETURN"],
    [{ head: "RETURN GAME RESSOURCES", lines: ["nbLines:1", "0:or"] },
      { head: "RETURN PLAYER RESSOURCES", lines: ["3000/3000/3000/3000/3000"] }]],
    [["ERROR: CHAMPION UNKNOWN", "END RETURN"], [{ head: null, lines: ["ERROR: CHAMPION UNKNOWN"] }]],
    [["TURN PASSED", "END RETURN", "demo", "Bye bye"],
      [{ head: "TURN PASSED", lines: [] }, { head: null, lines: ["demo"], bare: true },
        { head: null, lines: ["Bye bye"], bare: true }]],
    [["RETURN LOG", "Turn: 1  / avail 199"], [{ head: "RETURN LOG", lines: ["Turn: 1  / avail 199"], incomplete: true }]],
  ];
  for (const [input, expected] of cases) assert.deepEqual(r.splitBlocks(input), expected, input[0]);
});

const LOG = [
  "#INFO: d\u00e9marrage construction bourg \u00e0 3,5", "Turn: 1  / avail 199", "Turn: 2  / avail 198",
  "Turn: 3  / avail 197", "#INFO: Nouveau batiment bourg \u00e0 3,5", "Turn: 4  / avail 196",
  "#INFO: d\u00e9marrage recrutement 1 troupes de milicien \u00e0 3,5", "Turn: 5  / avail 195",
  "#INFO: Nouvelle(s) troupe(s) 1 milicien \u00e0 3,5", "Turn: 6  / avail 194", "Turn: 7  / avail 193",
  "wrong line number (max:3)", "#INFO: d\u00e9marrage construction scierie \u00e0 3,5", "Turn: 8  / avail 192",
  "Turn: 9  / avail 191", "#INFO: Nouveau batiment scierie \u00e0 3,5", "Turn: 10  / avail 190",
];

test("where the unseen lines of a log begin", () => {
  const full = Array.from({ length: 1000 }, (_, i) => `Turn: ${i + 1}  / avail ${1999 - i}`);
  const capped = full.slice(3).concat("Turn: 1001  / avail 998", "Turn: 1002  / avail 997", "Turn: 1003  / avail 996");
  const cases = [
    ["first reply", [], LOG, 0],
    ["a turn adds lines", LOG.slice(0, 11), LOG, 11],
    ["nothing new", LOG, LOG, LOG.length],
    ["a line again", [LOG[11], LOG[11]], [LOG[11], LOG[11], LOG[13]], 2],
    ["at the cap, the oldest dropped", full, capped, 997],
    ["restart, one line", LOG, LOG.slice(0, 1), 0],
    ["restart, empty", LOG, [], 0],
  ];
  for (const [name, previous, current, expected] of cases) assert.equal(r.newLogStart(previous, current), expected, name);
});

test("kinds of log lines", () => {
  const cases = [
    ["Turn: 8  / avail 192", { kind: "turn", turn: 8, left: 192 }],
    [LOG[0], { kind: "started", what: "construction", name: "bourg", at: at(3, 5) }],
    ["#INFO: d\u00e9marrage recrutement 2 troupes de milicien \u00e0 1,2",
      { kind: "started", what: "recruitment", count: 2, name: "milicien", at: at(1, 2) }],
    ["#INFO: construction scierie impossible \u00e0 1,2", { kind: "impossible", what: "construction", name: "scierie", at: at(1, 2) }],
    ["#INFO: recrutement milicien impossible \u00e0 1,2", { kind: "impossible", what: "recruitment", name: "milicien", at: at(1, 2) }],
    ["   >> manque bourg \u00e0 3,5", { kind: "missing", name: "bourg", at: at(3, 5) }],
    ["#INFO: Nouveau batiment bourg \u00e0 3,5", { kind: "built", name: "bourg", at: at(3, 5) }],
    ["#INFO: Nouvelle(s) troupe(s) 3 milicien \u00e0 1,2", { kind: "recruited", count: 3, name: "milicien", at: at(1, 2) }],
    ["Deplacement de hilde : 2,4 -> 3,5", { kind: "move", champion: "hilde", from: at(2, 4), to: at(3, 5) }],
    ...["wrong line number (max:3)", "ERROR: INVALID COORDS", "ERREUR: Pas de tour disponible",
      "erreur: nombre de tours invalide, aucun tour joue"].map((text) => [text, { kind: "error", text }]),
    ["Attaquant : alice:310   Defendant : demo:320",
      { kind: "battle", attacker: "alice", attackerPower: 310, defender: "demo", defenderPower: 320 }],
    ["Champion hilde (alice) est mort sur le champ de bataille", { kind: "death", champion: "hilde", player: "alice" }],
    ["Champion hilde (alice) a fuit le champ de bataille", { kind: "flee", champion: "hilde", player: "alice" }],
    ["DEBUT TOUR", { kind: "other" }],
    ["#INFO: Nouveau batiment bourg a 3,5", { kind: "other" }],
  ];
  for (const [line, expected] of cases) assert.deepEqual(r.classifyLogLine(line), expected, line);
});

// One drawing of both armies, the attacker's lines from the back (3, 2, 1).
const draw = (att, def) => ["DEBUT TOUR", "ARMEE DE alice", "3:", att[1] ?? "2:", att[0], "-".repeat(36),
  "ARMEE DE demo", def[0], def[1] ?? "2:", "3:"];
const GUIDE_BATTLE = ["Attaquant : alice:310   Defendant : demo:320", ...draw(["1:10 milicien"], ["1:10 milicien"]),
  "milicien (alice) --> milicien (demo) dommage: 72   10 morts", "Unite morte: milicien (demo)",
  ...draw(["1:10 milicien"], ["1:"])];
const FLED = ["Attaquant : alice:620   Defendant : demo:960", ...draw(["1:10 milicien   ", "2:10 milicien   "],
  ["1:20 milicien   10 milicien   "]), "milicien (demo) --> ~ 3 (alice)pare",
"milicien (alice) --> milicien (demo) dommage: 72   14 morts", "milicien (demo) n'a rien a taper !",
...draw(["1:10 milicien   ", "2:10 milicien   "], ["1:6 milicien   10 milicien   "]),
"Champion ilvaen (demo) a fuit le champ de bataille"];

test("a log groups each battle report into one entry", () => {
  const cases = [
    [["Turn: 8  / avail 192", ...GUIDE_BATTLE, "Deplacement de hilde : 2,4 -> 3,5", "Turn: 9  / avail 191"],
      [["turn", 1], ["battle", 23], ["move", 1], ["turn", 1]]],
    [[...FLED, "Turn: 9  / avail 191"], [["battle", FLED.length], ["turn", 1]]],
    [[...GUIDE_BATTLE, ...FLED], [["battle", 23], ["battle", FLED.length]]],
  ];
  for (const [input, expected] of cases) {
    assert.deepEqual(r.groupLog(input).map((e) => [e.kind, e.lines.length]), expected);
  }
  assert.deepEqual(r.groupLog(GUIDE_BATTLE)[0].summary, r.battleSummary(GUIDE_BATTLE));
});

const CREATURES = [{ name: "milicien", characteristics: { att: 2, def: 2, vit: 3, pdv: 5, pare: 10 } },
  { name: "archer", characteristics: { att: 3, def: 1, vit: 4, pdv: 4 } }];
const MIXED = ["Attaquant : alice:485   Defendant : demo:320", ...draw(["1:10 milicien   5 archer   "], ["1:10 milicien"]),
  ...draw(["1:5 archer   "], ["1:"])];
const side = (player, power, powerAfter, units, unitsAfter, exp) => ({ player, power, powerAfter, units, unitsAfter, exp });

test("battle summaries", () => {
  const cases = [
    ["guide", GUIDE_BATTLE, undefined, { attacker: side("alice", 310, 310, 10, 10, 320),
      defender: side("demo", 320, 0, 10, 0, 0), rounds: 1, holder: "attacker" }],
    ["without a fight", ["Attaquant : alice:0   Defendant : demo:960",
      ...draw(["1:"], ["1:20 milicien   10 milicien   "])], CREATURES,
    { attacker: side("alice", 0, 0, 0, 0, 0), defender: side("demo", 960, 960, 30, 30, 0), rounds: 0, holder: "defender" }],
    ["defender fled", FLED, undefined, { attacker: side("alice", 620, 620, 20, 20, 448),
      defender: side("demo", 960, 512, 30, 16, 0), rounds: 1, holder: "attacker" }],
    ["creatures known", MIXED, CREATURES, { attacker: side("alice", 485, 175, 15, 5, 320),
      defender: side("demo", 320, 0, 10, 0, 310), rounds: 1, holder: "attacker" }],
    ["creatures unknown", MIXED, CREATURES.slice(0, 1), { attacker: side("alice", 485, 162, 15, 5, 320),
      defender: side("demo", 320, 0, 10, 0, 323), rounds: 1, holder: "attacker" }],
  ];
  for (const [name, lines, creatures, expected] of cases) {
    const { attacker, defender, rounds, holder } = r.battleSummary(lines, creatures);
    assert.deepEqual({ attacker, defender, rounds, holder }, expected, name);
  }
  assert.deepEqual(r.battleSummary(GUIDE_BATTLE).kills, [{ player: "demo", name: "milicien" }]);
  assert.deepEqual(r.battleSummary(FLED).broke, { kind: "flee", champion: "ilvaen", player: "demo" });
});
