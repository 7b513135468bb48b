// The game's page: logs in, asks the game for the player's state after every
// order and every turn, and draws it: the map, the panels, the log. Orders
// are sent one after the other; each is followed by a refresh that tells
// whether it changed anything.

import { Connection } from "./connection.js";
import { MapView } from "./map.js";
import { drawRealm, drawHoldings, drawSquare, h } from "./panels.js";
import { LogView, ConsoleView } from "./logview.js";
import {
  splitBlocks,
  parseGrid,
  parseLands,
  parseRecord,
  parseMapped,
  parseSquares,
  parseVisibles,
  parseRecruitAvail,
  parseTavern,
  newLogStart,
  groupLog,
} from "./replies.js";

const HISTORY = "royaumes.history";
const HISTORYMAX = 100;
const byId = (id) => document.getElementById(id);

// What the page knows of the game, rebuilt by each refresh.
const world = {
  rules: null,
  grid: { width: 0, height: 0 },
  lands: [],
  record: null,
  mapped: new Map(), // square number -> terrain sign
  squares: new Map(), // square number -> parsed square
  visibles: [],
  index: new Map(), // "x,y" -> pieces standing there
  log: [],
  logShown: false,
  resources() {
    return this.rules ? this.rules.resources : ["or", "bois", "pierre", "fer", "cristal"];
  },
  terrain(id) {
    return this.lands.find((t) => t.id === id) || null;
  },
  squareAt(x, y) {
    if (x < 1 || y < 1 || x > this.grid.width || y > this.grid.height) return null;
    const n = (y - 1) * this.grid.width + x;
    if (this.squares.has(n)) return this.squares.get(n);
    if (!this.mapped.has(n)) return null;
    const land = this.lands.find((t) => t.sign === this.mapped.get(n));
    return { number: n, x, y, terrain: land ? land.id : -1, resources: [] };
  },
  piecesAt(x, y) {
    return this.index.get(`${x},${y}`) || [];
  },
};

const game = new Connection();
const mapView = new MapView(byId("map"), byId("maptext"), byId("legend"), openSquare);
const logView = new LogView(byId("log"));
const consoleView = new ConsoleView(byId("console"));
let opened = null; // { x, y, avail } of the square panel
let chain = Promise.resolve();
let started = false;

// Orders, turns and commands run one after the other, each with its refresh.
function queue(task) {
  chain = chain.then(task).catch((error) => feedback(`Not done: ${error.message}`, "refused"));
  return chain;
}

function inner(reply) {
  const block = splitBlocks(reply).find((b) => b.head !== null);
  return block ? block.lines : [];
}

function feedback(text, outcome = "done") {
  const node = byId("feedback");
  node.textContent = text;
  node.dataset.outcome = outcome;
}

// ---- connection state and login ------------------------------------------

const STATES = {
  offline: "not connected",
  connecting: "connecting…",
  race: "choose your people",
  play: "playing",
  reconnecting: "connection lost: reconnecting",
  closed: "not connected",
};

game.addEventListener("state", ({ detail }) => {
  const node = byId("state");
  node.dataset.state = detail.state;
  const text = detail.state === "play" ? `playing as ${detail.detail}` : STATES[detail.state];
  node.textContent = detail.detail && detail.state !== "play" ? `${text} (${detail.detail})` : text;
  byId("leave").hidden = detail.state !== "play" && detail.state !== "reconnecting";
  if (detail.state === "race" && detail.detail)
    byId("race-message").textContent = `The connection was closed while you chose; choosing logs in again.`;
  if (detail.state === "play" && !started) {
    started = true;
    showGame();
    queue(init);
  } else if (detail.state === "play") {
    queue(refresh);
  } else if (detail.state === "closed" && started) {
    started = false;
    showLogin(`The session ended: ${detail.detail}. Log in again to play on.`);
  } else if (detail.state === "closed" && detail.detail === "unknown or expired session") {
    showLogin("Your earlier session has ended. Log in again to play on.");
  }
});

game.addEventListener("line", ({ detail }) => {
  if (game.state !== "play") consoleView.add([detail], "reply");
});

game.addEventListener("races", ({ detail }) => {
  byId("login").hidden = true;
  const box = byId("race-choice");
  box.hidden = false;
  const buttons = detail.map((r) =>
    h("button", { type: "button", "data-race": r.id, onclick: () => chooseRace(r.id, r.name), text: r.name }),
  );
  byId("races").replaceChildren(...buttons);
  if (buttons.length) buttons[0].focus();
});

game.addEventListener("refused", ({ detail }) => {
  const messages = {
    "wrong password": "Wrong password for this account.",
    "unknown account": "There is no such account on this server.",
    "game server unreachable": "The game server does not answer. Try again in a moment.",
    "another connection is creating this player":
      "Another connection is creating this kingdom right now; try again in a few seconds.",
  };
  if (byId("race-choice").hidden) {
    showLogin(messages[detail] || `Could not log in: ${detail}.`);
  } else {
    byId("race-message").textContent = messages[detail] || `${detail[0].toUpperCase()}${detail.slice(1)}.`;
    for (const b of byId("races").querySelectorAll("button")) b.disabled = false;
    if (game.state === "closed") showLogin(messages[detail] || `Could not log in: ${detail}.`);
  }
});

function chooseRace(id, name) {
  for (const b of byId("races").querySelectorAll("button")) b.disabled = true;
  byId("race-message").textContent = `Founding a kingdom of the ${name}…`;
  game.chooseRace(id);
}

function showLogin(message) {
  byId("game").hidden = true;
  byId("welcome").hidden = false;
  byId("race-choice").hidden = true;
  byId("login").hidden = false;
  byId("login-message").textContent = message;
  byId("password").focus();
}

function showGame() {
  byId("welcome").hidden = true;
  byId("game").hidden = false;
  byId("login-message").textContent = "";
  byId("map").focus();
}

byId("login").addEventListener("submit", (event) => {
  event.preventDefault();
  const account = byId("account").value.trim();
  const password = byId("password").value;
  byId("password").value = "";
  if (account === "" || game.state === "connecting" || game.state === "play") return;
  byId("login-message").textContent = "";
  // Another account may play in this page now: its log starts afresh.
  Object.assign(world, { log: [], logShown: false });
  logView.clear();
  game.start(account, password);
});

byId("leave").addEventListener("click", () => game.quit());

// ---- the game's state ------------------------------------------------------

async function init() {
  if (!world.rules) {
    world.rules = await fetch("rules.json")
      .then((r) => (r.ok ? r.json() : null))
      .catch(() => null);
  }
  const [grid, lands] = await Promise.all([game.request("GET GAME GRID"), game.request("GET GAME LANDS")]);
  world.grid = parseGrid(inner(grid));
  world.lands = parseLands(inner(lands));
  mapView.drawLegend(world.lands);
  await refresh();
  document.body.dataset.ready = "1";
}

const ASKS = [
  "GET ALL",
  "GET MAPPED",
  "GET SQUARES",
  "GET CHAMPIONS VISIBLES",
  "GET TROOPS VISIBLES",
  "GET BUILDINGS VISIBLES",
  "GET LOG",
];

/** Asks for everything shown, in one go, and draws it; returns the new log entries. */
async function refresh() {
  const replies = await Promise.all(ASKS.map((a) => game.request(a)));
  performance.mark("refresh-replied");
  const [all, mapped, squares, champions, troops, buildings, log] = replies.map(inner);
  world.record = parseRecord(all);
  world.mapped = new Map();
  for (const run of parseMapped(mapped)) {
    [...run.signs].forEach((sign, i) => world.mapped.set(run.start + i, sign));
  }
  world.squares = new Map(parseSquares(squares).map((s) => [s.number, s]));
  world.visibles = [...parseVisibles(champions), ...parseVisibles(troops), ...parseVisibles(buildings)];
  indexPieces();
  const entries = showLog(log);
  drawAll();
  await drawTavern();
  document.body.dataset.refreshes = Number(document.body.dataset.refreshes || 0) + 1;
  return entries;
}

// The tavern's offers, asked for only while its panel is open.
async function drawTavern() {
  const panel = byId("tavern-panel");
  if (!panel.open) return;
  const offers = parseTavern(inner(await game.request("GET TAVERN")));
  byId("tavern").replaceChildren(
    ...(offers.length
      ? offers.map((o) =>
          h("li", {
            text:
              `${o.name}: ${o.price} ${world.resources()[0]}, sold in ${o.turnsBeforeSold} turns` +
              (o.bidder ? `, ${o.bidder} bids` : ""),
          }),
        )
      : [h("li", { class: "none", text: "No champion for hire." })]),
  );
}
byId("tavern-panel").addEventListener("toggle", () => queue(drawTavern));

function indexPieces() {
  const me = world.record.name.toLowerCase();
  const index = new Map();
  const put = (p) => {
    const key = `${p.at.x},${p.at.y}`;
    if (!index.has(key)) index.set(key, []);
    index.get(key).push(p);
  };
  for (const b of world.record.buildings)
    put({ kind: "building", name: b.name, at: b.at, owner: "mine", player: me });
  for (const t of world.record.troops)
    put({ kind: "troop", name: t.name, at: t.at, owner: "mine", player: me });
  for (const c of world.record.champions)
    put({ kind: "champion", name: c.name, at: c.at, owner: "mine", player: me });
  for (const v of world.visibles) {
    if (v.player.toLowerCase() !== me) put({ ...v, owner: "other" });
  }
  world.index = index;
}

// Shows the lines of the log not shown yet; the battles get their square and
// champions from what follows them and from where the champions now stand.
function showLog(lines) {
  const start = newLogStart(world.log, lines);
  const earlier = !world.logShown && lines.length > 0;
  world.log = lines;
  world.logShown = true;
  const entries = groupLog(lines.slice(start), world.rules ? world.rules.creatures : undefined);
  entries.forEach((e, i) => {
    if (e.kind === "battle" && e.summary) Object.assign(e.summary, battlePlace(e, entries[i + 1]));
  });
  logView.add(entries, { earlier });
  return entries;
}

function battlePlace(battle, next) {
  const s = battle.summary;
  let at = null;
  let champions = [];
  if (next && next.kind === "move") at = next.to;
  const pieces = at ? world.piecesAt(at.x, at.y) : [...world.index.values()].flat();
  const of = (player) =>
    pieces.filter((p) => p.kind === "champion" && p.player.toLowerCase() === player.toLowerCase());
  const a = of(s.attacker.player);
  const d = of(s.defender.player);
  if (!at) {
    const meeting = a.find((x) => d.some((y) => y.at.x === x.at.x && y.at.y === x.at.y));
    if (meeting) at = meeting.at;
  }
  if (at) {
    const on = (list) => list.filter((p) => p.at.x === at.x && p.at.y === at.y).map((p) => p.name);
    champions = [on(a).join(", ") || s.attacker.player, on(d).join(", ") || s.defender.player];
  }
  return { at, champions };
}

function drawAll() {
  drawRealm(world);
  keepFocus(() => {
    mapView.draw(world);
    drawHoldings(world, act, openSquare);
    if (opened && !byId("square").hidden) drawSquare(world, opened, opened.avail, act);
  });
}

// Redraws replace buttons: the one that had the focus gets it back.
function keepFocus(draw) {
  const active = document.activeElement;
  let selector = null;
  if (active && active !== document.body) {
    for (const key of ["build", "recruit", "move", "take", "drop", "goto", "turns"]) {
      if (active.dataset && active.dataset[key] !== undefined) {
        selector = `[data-${key}="${CSS.escape(active.dataset[key])}"]`;
        break;
      }
    }
  }
  draw();
  if (selector && !document.activeElement?.matches?.(selector)) {
    const again = document.querySelector(selector);
    if (again) again.focus();
  }
}

function openSquare(x, y, again = false) {
  opened = { x, y, avail: null };
  drawSquare(world, opened, null, act);
  if (!again) byId("square").scrollIntoView({ block: "nearest" });
  if (!world.squareAt(x, y)) return;
  const asked = opened;
  game
    .request(`RECRUIT AVAIL ${x},${y}`)
    .then((reply) => {
      if (opened !== asked) return;
      opened.avail = parseRecruitAvail(inner(reply));
      keepFocus(() => drawSquare(world, opened, opened.avail, act));
    })
    .catch(() => {});
}

/** Sends an order, refreshes, and says what came of it; typed ones show their reply. */
function act(command, label, typed = false) {
  return queue(async () => {
    feedback(`${label}…`, "pending");
    const before = JSON.stringify(world.record);
    const reply = await game.request(command);
    if (typed) consoleView.add(reply, "reply");
    const said = reply.filter(
      (l) => l !== "" && !l.startsWith("RETURN ") && l !== "END RETURN" && !/^(BUILD|RECRUIT) .* AT /.test(l),
    );
    const entries = await refresh();
    if (opened && !byId("square").hidden) openSquare(opened.x, opened.y, true);
    const news = entries
      .filter((e) => ["error", "impossible", "missing"].includes(e.kind))
      .map((e) => e.lines[0].trim());
    if (said.length || news.length) {
      feedback(`Refused: ${label}. ${[...said, ...news].join(" · ")}`, "refused");
    } else if (JSON.stringify(world.record) === before) {
      feedback(
        `Nothing changed: ${label}. The game answered nothing; check the square, the troop or the place.`,
        "nothing",
      );
    } else {
      feedback(`Done: ${label}.`, "done");
    }
  });
}

function passTurns(n) {
  return queue(async () => {
    feedback(`Passing ${n} turn${n > 1 ? "s" : ""}…`, "pending");
    await game.request(`TURN ${n}`);
    performance.mark("reply-end");
    const entries = await refresh();
    performance.mark("redrawn");
    const turns = entries.filter((e) => e.kind === "turn").length;
    const r = world.record;
    feedback(
      turns
        ? `${turns} turn${turns > 1 ? "s" : ""} passed; ${r.turnsLeft} left.`
        : "No turn was played: none is left.",
      turns ? "done" : "nothing",
    );
  });
}

for (const b of document.querySelectorAll("[data-turns]")) {
  b.addEventListener("click", () => passTurns(Number(b.dataset.turns)));
}

// ---- the command line and its history ---------------------------------------

function history() {
  try {
    const list = JSON.parse(localStorage.getItem(HISTORY) || "[]");
    return Array.isArray(list) ? list.filter((x) => typeof x === "string") : [];
  } catch {
    return [];
  }
}

let historyAt = -1;
byId("command").addEventListener("submit", (event) => {
  event.preventDefault();
  const input = byId("line");
  const text = input.value;
  if (text.trim() === "" || game.state !== "play") return;
  input.value = "";
  historyAt = -1;
  const list = history().filter((x) => x !== text);
  list.push(text);
  try {
    localStorage.setItem(HISTORY, JSON.stringify(list.slice(-HISTORYMAX)));
  } catch {
    // storage full or refused: the history is only lost
  }
  selectTab("console");
  consoleView.add([`> ${text}`], "sent");
  // A SERVER WHOAMI of the player's own is answered like the page's sentinel.
  const own = /^\s*server\s+whoami\s*$/i.test(text);
  if (/^\s*(build|recruit|order)\s/i.test(text)) {
    act(text, text.trim(), true);
    return;
  }
  queue(async () => {
    const reply = await game.request(text, own ? 2 : 1);
    consoleView.add(own ? [game.name] : reply, "reply");
    await refresh();
  });
});

byId("line").addEventListener("keydown", (event) => {
  if (event.key !== "ArrowUp" && event.key !== "ArrowDown") return;
  const list = history();
  if (!list.length) return;
  event.preventDefault();
  if (historyAt === -1) historyAt = list.length;
  historyAt = Math.max(0, Math.min(list.length, historyAt + (event.key === "ArrowUp" ? -1 : 1)));
  event.target.value = list[historyAt] || "";
});

function selectTab(which) {
  const log = which === "log";
  byId("tab-log").setAttribute("aria-selected", String(log));
  byId("tab-console").setAttribute("aria-selected", String(!log));
  byId("log").hidden = !log;
  byId("console-pane").hidden = log;
}
byId("tab-log").addEventListener("click", () => selectTab("log"));
byId("tab-console").addEventListener("click", () => selectTab("console"));

// A reload within the grace takes the session back; otherwise, the login.
if (!game.resumeSaved()) byId("account").focus();
