// The map: the whole grid as an SVG, one square per cell, the terrain's
// colour and sign, the pieces standing there, a keyboard cursor, and the same
// map as text for screen readers.

const NS = "http://www.w3.org/2000/svg";
const CELL = 10;

// Colours of a printed map: meadows light, forests dark, hills ochre, peaks
// grey, bogs brown-green, heath purple. Terrains of other data files take
// the spare colours in their order.
const COLOURS = {
  prairie: "#b7d77a",
  sylve: "#3f7d45",
  coteaux: "#c9a35d",
  cimes: "#9a9a9a",
  tourbiere: "#6f7a4a",
  lande: "#b48bb0",
};
const SPARE = ["#8fbcd4", "#d9c27e", "#7aa59b", "#c98a6b", "#a0a0d0", "#d0a0a0"];

function el(name, attrs = {}, parent = null) {
  const node = document.createElementNS(NS, name);
  for (const [k, v] of Object.entries(attrs)) node.setAttribute(k, v);
  if (parent) parent.append(node);
  return node;
}

/** "your champion ilvaen" or "alice's troop milicien": a piece as the page names it. */
export function pieceName(p) {
  return `${p.owner === "mine" ? "your" : p.player + "'s"} ${p.kind} ${p.name}`;
}

/** The colour of a terrain by its name, stable for a given data set. */
export function terrainColour(terrain) {
  if (!terrain) return "#2b2d3a";
  return COLOURS[terrain.name] || SPARE[terrain.id % SPARE.length];
}

/** The SVG map of a world; calls onOpen(x, y) when a square is opened. */
export class MapView {
  constructor(svg, text, legend, onOpen) {
    this.svg = svg;
    this.text = text;
    this.legend = legend;
    this.onOpen = onOpen;
    this.cursor = null; // {x, y}
    this.width = 0;
    this.height = 0;
    svg.addEventListener("click", (event) => {
      const at = event.target.closest("[data-at]");
      if (!at) return;
      const [x, y] = at.dataset.at.split(",").map(Number);
      this.setCursor(x, y);
      this.onOpen(x, y);
    });
    svg.addEventListener("keydown", (event) => this.key(event));
  }

  key(event) {
    const moves = { ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1] };
    if (moves[event.key] && this.cursor) {
      event.preventDefault();
      const [dx, dy] = moves[event.key];
      const x = Math.min(this.width, Math.max(1, this.cursor.x + dx));
      const y = Math.min(this.height, Math.max(1, this.cursor.y + dy));
      this.setCursor(x, y);
    } else if ((event.key === "Enter" || event.key === " ") && this.cursor) {
      event.preventDefault();
      this.onOpen(this.cursor.x, this.cursor.y);
    }
  }

  setCursor(x, y) {
    this.cursor = { x, y };
    const old = this.svg.querySelector(".square.cursor");
    if (old) old.classList.remove("cursor");
    const square = this.svg.querySelector(`.square[data-at="${x},${y}"]`);
    if (square) {
      square.classList.add("cursor");
      this.svg.setAttribute("aria-activedescendant", square.id);
      this.svg.setAttribute("aria-label", `The map, cursor on ${x},${y}: ${square.dataset.label}`);
    }
    const ring = this.svg.querySelector("#cursor-ring");
    if (ring) {
      ring.setAttribute("x", (x - 1) * CELL + 0.5);
      ring.setAttribute("y", (y - 1) * CELL + 0.5);
    }
  }

  /** Draws everything again from the world's state (see app.js). */
  draw(world) {
    const { width, height } = world.grid;
    this.width = width;
    this.height = height;
    const svg = this.svg;
    svg.replaceChildren();
    svg.setAttribute("viewBox", `0 0 ${width * CELL} ${height * CELL}`);
    const ground = el("g", { class: "ground" }, svg);
    const signs = el("g", { class: "signs", "aria-hidden": "true" }, svg);
    const pieces = el("g", { class: "pieces" }, svg);
    const rows = [];
    for (let y = 1; y <= height; ++y) {
      const row = [];
      for (let x = 1; x <= width; ++x) {
        const sq = world.squareAt(x, y);
        const terrain = sq ? world.terrain(sq.terrain) : null;
        const here = world.piecesAt(x, y);
        const label = describe(x, y, terrain, here);
        el(
          "rect",
          {
            id: `sq-${x}-${y}`,
            class: sq ? "square" : "square unknown",
            x: (x - 1) * CELL,
            y: (y - 1) * CELL,
            width: CELL,
            height: CELL,
            fill: terrainColour(terrain),
            "data-at": `${x},${y}`,
            "data-known": sq ? "1" : "0",
            "data-terrain": terrain ? terrain.name : "",
            "data-label": label,
          },
          ground,
        ).append(title(label));
        if (terrain) {
          el("text", { x: (x - 1) * CELL + 5, y: (y - 1) * CELL + 6.5, class: "sign" }, signs).textContent =
            terrain.sign;
        }
        drawPieces(pieces, x, y, here);
        if (sq || here.length) row.push(label);
      }
      if (row.length) rows.push(`Row ${y}: ${row.join("; ")}.`);
    }
    el("rect", { id: "cursor-ring", width: CELL - 1, height: CELL - 1, class: "ring" }, svg);
    if (!this.cursor) {
      const mine = world.record && world.record.champions[0];
      this.cursor = mine ? { ...mine.at } : { x: 1, y: 1 };
    }
    this.setCursor(this.cursor.x, this.cursor.y);
    const list = document.createElement("ul");
    for (const r of rows) list.append(Object.assign(document.createElement("li"), { textContent: r }));
    this.text.replaceChildren(list);
  }

  /** The legend: each terrain with its colour, sign and movement cost, and the pieces. */
  drawLegend(terrains) {
    const items = terrains.map((t) => {
      const li = document.createElement("li");
      const swatch = document.createElement("span");
      swatch.className = "swatch";
      swatch.style.background = terrainColour(t);
      swatch.textContent = t.sign;
      li.append(swatch, ` ${t.name} (${t.move} mv)`);
      return li;
    });
    for (const [cls, text] of [
      ["champion mine", "your champion"],
      ["champion other", "another's champion"],
      ["building mine", "town or building"],
      ["troop mine", "troops"],
      ["unknown", "unexplored"],
    ]) {
      const li = document.createElement("li");
      const mark = document.createElement("span");
      mark.className = `mark ${cls}`;
      li.append(mark, ` ${text}`);
      items.push(li);
    }
    this.legend.replaceChildren(...items);
  }
}

function title(text) {
  const t = document.createElementNS(NS, "title");
  t.textContent = text;
  return t;
}

function describe(x, y, terrain, here) {
  const what = here.map(pieceName);
  const ground = terrain ? terrain.name : "unexplored";
  return `${x},${y} ${ground}${what.length ? " (" + what.join(", ") + ")" : ""}`;
}

// Buildings top left, troops bottom left, champions on the right: each kind
// once a square, with a count when there are several.
function drawPieces(layer, x, y, here) {
  const ox = (x - 1) * CELL;
  const oy = (y - 1) * CELL;
  let champions = 0;
  for (const p of here) {
    const attrs = {
      "data-piece": p.kind,
      "data-name": p.name,
      "data-at": `${x},${y}`,
      "data-owner": p.owner,
      class: `piece ${p.kind} ${p.owner}`,
    };
    let node;
    if (p.kind === "building") {
      const bx = ox + 1;
      const by = oy + 1;
      attrs.points = `${bx},${by + 2} ${bx + 1.8},${by} ${bx + 3.6},${by + 2} ${bx + 3.6},${by + 4} ${bx},${by + 4}`;
      node = el("polygon", attrs, layer);
    } else if (p.kind === "troop") {
      const tx = ox + 1.2;
      const ty = oy + 5.5;
      attrs.points = `${tx},${ty + 3.5} ${tx},${ty} ${tx + 3},${ty + 1} ${tx + 0.6},${ty + 2}`;
      node = el("polygon", attrs, layer);
    } else {
      Object.assign(attrs, { cx: ox + 7 - champions * 1.2, cy: oy + 3.2 + champions * 3.2, r: 2 });
      champions += 1;
      node = el("circle", attrs, layer);
    }
    node.append(title(pieceName(p)));
  }
}
