// The panels: the stock, the turns, the holdings and the opened square with
// the orders that make sense there. Text goes in through textContent only.

import { pieceName } from "./map.js";

/** An element with attributes and children (strings become text). */
export function h(name, attrs = {}, ...children) {
  const node = document.createElement(name);
  for (const [k, v] of Object.entries(attrs)) {
    if (v === false || v === null || v === undefined) continue;
    if (k === "text") node.textContent = v;
    else if (k.startsWith("on")) node.addEventListener(k.slice(2), v);
    else node.setAttribute(k, v === true ? "" : v);
  }
  node.append(...children.filter((c) => c !== null && c !== undefined));
  return node;
}

const at = (p) => `${p.x},${p.y}`;
const same = (a, b) => a && b && a.x === b.x && a.y === b.y;

/** "600 or, 300 bois" from an array or an object keyed by resource names. */
export function cost(world, amounts) {
  const names = world.resources();
  const values = Array.isArray(amounts) ? amounts : names.map((n) => amounts[n] || 0);
  const parts = values.map((v, i) => (v ? `${v} ${names[i] || "#" + i}` : "")).filter(Boolean);
  return parts.length ? parts.join(", ") : "nothing";
}

function goto(p, open) {
  return h("button", {
    type: "button",
    class: "link",
    "data-goto": at(p),
    onclick: () => open(p.x, p.y),
    text: at(p),
  });
}

/** The stock of each resource and the turns. */
export function drawRealm(world) {
  const r = world.record;
  const names = world.resources();
  document
    .getElementById("stock")
    .replaceChildren(
      ...r.stock.map((v, i) =>
        h(
          "li",
          { "data-resource": names[i] || i },
          h("span", { class: "res-name", text: names[i] || `#${i}` }),
          h("b", { text: String(v) }),
        ),
      ),
    );
  document.getElementById("kingdom").textContent = `${r.name}, of the ${r.race}`;
  const turns = document.getElementById("turns");
  turns.dataset.played = r.turnsPlayed;
  turns.dataset.left = r.turnsLeft;
  turns.textContent = `Turn ${r.turnsPlayed} · ${r.turnsLeft} left`;
  for (const b of document.querySelectorAll("[data-turns]")) b.disabled = r.turnsLeft <= 0;
}

/** The champions with their armies, the troops, buildings and works in progress. */
export function drawHoldings(world, act, open) {
  const r = world.record;
  const champions = r.champions.map((c) => {
    const army = c.army.map((u) =>
      h(
        "li",
        {},
        `line ${u.line}, place ${u.col}: ${u.units} ${u.name} `,
        h("button", {
          type: "button",
          "data-drop": `${u.col},${u.line}`,
          "data-champion": c.name,
          "aria-label": `Drop ${u.name} from line ${u.line}, place ${u.col} of ${c.name}`,
          onclick: () => act(`ORDER ${c.name} DROP ${u.col},${u.line}`, `${c.name} drops ${u.name}`),
          text: "Drop",
        }),
      ),
    );
    const line = h(
      "select",
      { "aria-label": `Army line for ${c.name}` },
      ...[1, 2, 3].map((n) => h("option", { value: n, text: `line ${n}` })),
    );
    const here = r.troops.filter((t) => same(t.at, c.at));
    const take = here.map((t) =>
      h(
        "li",
        {},
        `#${t.uid} ${t.units} ${t.name} here `,
        h("button", {
          type: "button",
          "data-take": t.uid,
          "data-champion": c.name,
          onclick: () =>
            act(`ORDER ${c.name} GET #${t.uid} ${line.value}`, `${c.name} takes ${t.name} #${t.uid}`),
          text: "Take into army",
        }),
      ),
    );
    const c8 = c.caracts || {};
    return h(
      "article",
      { class: "champion", "data-champion": c.name },
      h("h3", { text: `${c.name}` }),
      h("p", { text: `${c.class} of the ${c.race}, level ${c.level}, ${c.exp} experience` }),
      h("p", {}, "at ", goto(c.at, open), c.moveTo ? ` → walking to ${at(c.moveTo)}` : ""),
      h("p", {
        class: "caracts",
        text: Object.entries(c8)
          .map(([k, v]) => `${k} ${v}`)
          .join(" · "),
      }),
      h("h4", { text: c.army.length ? "Army" : "No army" }),
      c.army.length ? h("ul", {}, ...army) : null,
      here.length ? h("div", { class: "take" }, h("ul", {}, ...take), h("label", {}, "into ", line)) : null,
    );
  });
  document
    .getElementById("champions")
    .replaceChildren(...(champions.length ? champions : [h("p", { text: "No champion." })]));
  const list = (id, items, none) =>
    document
      .getElementById(id)
      .replaceChildren(...(items.length ? items : [h("li", { class: "none", text: none })]));
  list(
    "troops",
    r.troops.map((t) =>
      h("li", { "data-troop": t.uid }, `#${t.uid} ${t.units} ${t.name} at `, goto(t.at, open)),
    ),
    "No troops on the map.",
  );
  list(
    "buildings",
    r.buildings.map((b) => h("li", { "data-building": b.name }, `${b.name} at `, goto(b.at, open))),
    "No building yet.",
  );
  const works = [
    ...r.constructions.map((w) =>
      h(
        "li",
        { "data-work": "construction" },
        `${w.name} at `,
        goto(w.at, open),
        `: ${w.turnsLeft} turns left, ${cost(world, w.perTurn)} a turn`,
      ),
    ),
    ...r.recruitments.map((w) =>
      h(
        "li",
        { "data-work": "recruitment" },
        `${w.count} ${w.name} at `,
        goto(w.at, open),
        `: ${w.turnsLeft} turns left, ${cost(world, w.perTurn)} a turn`,
      ),
    ),
  ];
  list("works", works, "Nothing under way.");
}

// Why a building cannot be built on a square, or "" when it can.
function refusal(world, b, p, square) {
  if (!square) return "you do not know this square";
  const mine = world.record.buildings.filter((x) => same(x.at, p)).map((x) => x.name);
  const missing = (b.needs || []).filter((n) => !mine.includes(n));
  if (missing.length) return `needs ${missing.join(" and ")} on this square`;
  if (
    b.characteristics &&
    "hernec" in b.characteristics &&
    !world.record.champions.some((c) => same(c.at, p))
  ) {
    return "needs one of your champions on this square";
  }
  const short = world.resources().filter((n, i) => (b.cost[n] || 0) > world.record.stock[i]);
  if (short.length) return `not enough ${short.join(", ")}`;
  return "";
}

/** The opened square: what it is, what stands there, the orders that make sense. */
export function drawSquare(world, p, avail, act) {
  const section = document.getElementById("square");
  const square = world.squareAt(p.x, p.y);
  const terrain = square ? world.terrain(square.terrain) : null;
  section.hidden = false;
  section.dataset.at = at(p);
  const names = world.resources();
  const here = world.piecesAt(p.x, p.y);
  const parts = [
    h("h2", { text: `Square ${at(p)}${terrain ? ` — ${terrain.name}` : " — unexplored"}` }),
    terrain
      ? h("p", { text: `Entering costs ${terrain.move} movement point${terrain.move > 1 ? "s" : ""}.` })
      : null,
    square
      ? h("p", {
          class: "resources",
          text: "Holds " + square.resources.map((v, i) => `${v} ${names[i]}`).join(", ") + ".",
        })
      : null,
    h(
      "ul",
      { class: "here" },
      ...(here.length
        ? here.map((x) =>
            h("li", {
              class: x.owner,
              text: pieceName(x).replace(/^./, (c) => c.toUpperCase()),
            }),
          )
        : [h("li", { text: "Nothing stands here that you can see." })]),
    ),
  ];
  const rules = world.rules;
  if (rules && square) {
    const race = world.record.race;
    const item = (b) => {
      const why = refusal(world, b, p, square);
      const what =
        `${b.turns} turns, ${cost(world, b.cost)}` +
        (b.needs && b.needs.length ? `; needs ${b.needs.join(", ")}` : "") +
        (b.recruits ? `; recruits ${b.recruits}` : "");
      return h(
        "li",
        { class: why ? "off" : "" },
        h("button", {
          type: "button",
          "data-build": b.name,
          disabled: Boolean(why),
          title: why || `Build ${b.name} here`,
          onclick: () => act(`BUILD ${b.name} ${at(p)}`, `build ${b.name} at ${at(p)}`),
          text: `Build ${b.name}`,
        }),
        h("span", { text: ` ${what}${why ? ` — ${why}` : ""}` }),
      );
    };
    // The buildings of the player's people first; the others' folded away.
    const own = rules.buildings.filter((b) => !b.race || b.race === race);
    const others = rules.buildings.filter((b) => b.race && b.race !== race);
    parts.push(
      h("h3", { text: "Build" }),
      h("ul", { class: "orders" }, ...own.map(item)),
      others.length
        ? h(
            "details",
            {},
            h("summary", { text: `Buildings of other peoples (${others.length})` }),
            h("ul", { class: "orders" }, ...others.map(item)),
          )
        : null,
    );
  }
  if (avail && avail.length) {
    const count = h("input", {
      id: "recruit-count",
      type: "number",
      min: 1,
      max: 99,
      value: 1,
      "aria-label": "Troops to recruit",
    });
    parts.push(
      h("h3", { text: "Recruit" }),
      h("label", {}, "Troops ", count),
      h(
        "ul",
        { class: "orders" },
        ...avail.map((c) => {
          const info = rules && rules.creatures.find((x) => x.name === c.name);
          return h(
            "li",
            {},
            h("button", {
              type: "button",
              "data-recruit": c.name,
              onclick: () =>
                act(
                  `RECRUIT ${Math.max(1, Number(count.value) | 0)} ${c.name} ${at(p)}`,
                  `recruit ${c.name} at ${at(p)}`,
                ),
              text: `Recruit ${c.name}`,
            }),
            info
              ? h("span", {
                  text: ` ${info.units} a troop, ${info.turns} turns, ${cost(world, info.cost)} each`,
                })
              : null,
          );
        }),
      ),
    );
  }
  const walkers = world.record.champions.filter((c) => !same(c.at, p));
  if (walkers.length) {
    parts.push(
      h("h3", { text: "Move" }),
      h(
        "ul",
        { class: "orders" },
        ...walkers.map((c) =>
          h(
            "li",
            {},
            h("button", {
              type: "button",
              "data-move": c.name,
              onclick: () => act(`ORDER ${c.name} MOVE ${at(p)}`, `${c.name} walks to ${at(p)}`),
              text: `Send ${c.name} here`,
            }),
            h("span", { text: ` from ${at(c.at)}` }),
          ),
        ),
      ),
    );
  }
  parts.push(
    h("button", { type: "button", class: "close", onclick: () => (section.hidden = true), text: "Close" }),
  );
  section.replaceChildren(...parts.filter(Boolean));
}
