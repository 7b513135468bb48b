// The player's log as the page shows it: each message once, turns as
// separators, battles as a summary with the whole report a click away, and
// the console of commands and replies. Both keep a bounded number of lines so
// that a long game does not slow the page.

import { h } from "./panels.js";

const LOGMAX = 3000;
const CONSOLEMAX = 2000;

function plural(n, one, many = one + "s") {
  return `${n} ${n === 1 ? one : many}`;
}

/** One sentence for a battle: who fought where, the powers, the outcome. */
export function battleText(s) {
  const a = s.attacker;
  const d = s.defender;
  const side = (x) => `${x.player} ${x.power} → ${x.powerAfter}`;
  const held = s.holder === "attacker" ? `${a.player} took the field` : `${d.player} held the field`;
  const where = s.at ? ` at ${s.at.x},${s.at.y}` : "";
  const who = s.champions && s.champions.length ? ` (${s.champions.join(" against ")})` : "";
  return (
    `Battle${where}: ${a.player} attacked ${d.player}${who}. Power ${side(a)}, ${side(d)}. ` +
    `${held}. Experience: ${a.player} +${a.exp}, ${d.player} +${d.exp}.`
  );
}

function describe(e) {
  switch (e.kind) {
    case "turn":
      return `Turn ${e.turn} ended · ${plural(e.left, "turn")} left`;
    case "move":
      return `${e.champion} walks ${e.from.x},${e.from.y} → ${e.to.x},${e.to.y}`;
    default:
      return e.lines[0];
  }
}

/** The log panel. */
export class LogView {
  constructor(node) {
    this.node = node;
    this.count = 0; // lines shown
  }

  clear() {
    this.node.replaceChildren();
    this.count = 0;
  }

  /** Adds entries (from groupLog); earlier ones are the log before this page opened. */
  add(entries, { earlier = false } = {}) {
    if (!entries.length) return;
    const atBottom = this.node.scrollHeight - this.node.scrollTop - this.node.clientHeight < 16;
    const frag = document.createDocumentFragment();
    if (earlier)
      frag.append(h("div", { class: "entry mark", "data-kind": "mark", text: "— earlier in your log —" }));
    for (const e of entries) {
      let node;
      if (e.kind === "battle") {
        const summary = e.summary;
        node = h(
          "details",
          { class: "entry battle", "data-kind": "battle" },
          h("summary", { text: summary ? battleText(summary) : e.lines[0] }),
          h("pre", { class: "report", text: e.lines.join("\n") }),
        );
      } else {
        node = h("div", {
          class: `entry ${e.kind}`,
          "data-kind": e.kind,
          title: e.lines[0],
          text: describe(e),
        });
      }
      node.count = e.lines.length;
      this.count += node.count;
      frag.append(node);
    }
    if (earlier) frag.append(h("div", { class: "entry mark", "data-kind": "mark", text: "— now —" }));
    this.node.append(frag);
    while (this.count > LOGMAX && this.node.firstChild) {
      this.count -= this.node.firstChild.count || 0;
      this.node.firstChild.remove();
    }
    if (atBottom || !earlier) this.node.scrollTop = this.node.scrollHeight;
  }
}

/** The console: each command as sent and each line of its reply as received. */
export class ConsoleView {
  constructor(node) {
    this.node = node;
  }

  add(lines, kind) {
    const frag = document.createDocumentFragment();
    for (const line of lines) frag.append(h("div", { class: kind, text: line === "" ? " " : line }));
    this.node.append(frag);
    while (this.node.childElementCount > CONSOLEMAX) this.node.firstElementChild.remove();
    this.node.scrollTop = this.node.scrollHeight;
  }
}
