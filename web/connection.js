// The page's link to the game: one WebSocket to the gateway at a time, the
// login dialogue, the requests and their replies, and the session resumed
// after a drop or a reload.
//
// The game frames most replies but not all (an unknown keyword answers
// nothing), so every request is followed by SERVER WHOAMI: the bare line
// with the player's name that comes back, outside any RETURN block, ends
// the request's reply. Requests are pipelined; the gateway keeps their order.
//
// A resumed session may bring the end of replies the page no longer waits
// for (a reload forgets its requests; a lost network loses lines): the page
// then sends ORDER and SERVER, whose two help blocks never come one right
// after the other otherwise, and reads nothing before them.

const SENTINEL = "SERVER WHOAMI";
const MARK = ["ORDER", "SERVER"];
const MARKHEADS = ["RETURN ORDER HELP", "RETURN SERVER HELP"];
const STORE = "royaumes.session";
const BACKOFF = [500, 1000, 2000, 4000, 8000];

// Reasons after which trying again cannot help: the session is over.
const FINAL = new Set([
  "unknown or expired session",
  "game connection closed",
  "taken over by another tab",
  "quit",
]);

function saved() {
  try {
    return JSON.parse(sessionStorage.getItem(STORE) || "null");
  } catch {
    return null;
  }
}

/** The session with the game: events "state", "line", "races", "play", "refused". */
export class Connection extends EventTarget {
  constructor() {
    super();
    this.state = "offline";
    this.detail = "";
    this.socket = null;
    this.token = null;
    this.grace = 30;
    this.name = ""; // the player's name as SERVER WHOAMI answers it
    this.requests = []; // waiting for their sentinel, oldest first
    this.unsent = []; // lines waiting for an open socket
    this.depth = 0; // RETURN blocks open in the reply being read
    this.sync = -1; // lines of the resume mark read so far, -1 when not looking
    this.login = null; // { account, password, race } until play begins
    this.attempt = 0;
    this.timer = 0;
    this.lostAt = 0;
    this.reason = ""; // the gateway's "closed" reason for the socket that ends
  }

  setState(state, detail = "") {
    this.state = state;
    this.detail = detail;
    this.dispatchEvent(new CustomEvent("state", { detail: { state, detail } }));
  }

  emit(type, detail) {
    this.dispatchEvent(new CustomEvent(type, { detail }));
  }

  /** Resumes the session a reload left in this tab; false when there is none. */
  resumeSaved() {
    const s = saved();
    if (!s || typeof s.token !== "string") return false;
    this.token = s.token;
    this.name = s.name || "";
    this.grace = s.grace || 30;
    this.lostAt = Date.now();
    this.open();
    return true;
  }

  /** Logs in: opens the socket only now, the person having said who they are. */
  start(account, password) {
    this.login = { account, password, race: null };
    this.token = null;
    this.open();
  }

  /** Answers the race question; when the connection went meanwhile, logs in again. */
  chooseRace(id) {
    const L = this.login;
    if (!L) return;
    L.race = String(id);
    if (this.socket) {
      // Answers the question that waits, or the next one if it is on its way:
      // the game reads the answers in order.
      this.answer(L.race);
    } else {
      // The game connection may still wait at the gateway: the token takes it
      // back; without one (or when that fails) the page logs in anew.
      this.attempt = 0;
      this.open();
    }
  }

  answer(race) {
    this.login.sent.push(race, SENTINEL);
    this.sendRaw(race);
    this.sendRaw(SENTINEL);
  }

  /** Sends one command; resolves with the lines of its reply. */
  request(line, sentinels = 1) {
    return new Promise((resolve, reject) => {
      this.requests.push({ line, lines: [], sentinels, resolve, reject });
      this.sendRaw(line);
      for (let i = 0; i < sentinels; ++i) this.sendRaw(SENTINEL);
    });
  }

  /** Ends the session: the game connection closes at once. */
  quit() {
    if (this.socket && this.socket.readyState === WebSocket.OPEN) {
      this.socket.send(JSON.stringify({ quit: true }));
    }
    this.finish("closed", "you left the game");
  }

  open() {
    clearTimeout(this.timer);
    const scheme = location.protocol === "https:" ? "wss:" : "ws:";
    const ws = new WebSocket(`${scheme}//${location.host}/ws`);
    this.socket = ws;
    this.reason = "";
    this.setState(this.token ? "reconnecting" : "connecting", this.token ? "resuming" : "");
    const resuming = Boolean(this.token);
    ws.addEventListener("open", () => {
      if (resuming) {
        ws.send(JSON.stringify({ resume: this.token }));
        if (this.login === null) this.mark(ws);
      } else {
        // The name, the password and a sentinel: the sentinel is answered by
        // the player's name once in play, or taken as a wrong race and the
        // question repeated, so the page learns which without a timer.
        Object.assign(this.login, { stage: "dialogue", sent: [SENTINEL], questions: 0 });
        ws.send(JSON.stringify({ line: this.login.account }));
        ws.send(JSON.stringify({ line: this.login.password }));
        ws.send(JSON.stringify({ line: SENTINEL }));
      }
      this.flush();
    });
    ws.addEventListener("message", (event) => this.receive(ws, event.data, resuming));
    ws.addEventListener("close", (event) => this.closed(ws, event));
  }

  // What was sent before the drop is answered, if at all, before the mark:
  // those requests are given up, the ones not yet sent go after the mark.
  mark(ws) {
    const lost = this.requests.filter((r) => r.sent);
    this.requests = this.requests.filter((r) => !r.sent);
    for (const r of lost) r.reject(new Error("the connection went while it was under way"));
    for (const line of MARK) ws.send(JSON.stringify({ line }));
    this.sync = 0;
    this.depth = 0;
  }

  // Reads the mark: the ORDER help block, then at once the SERVER one.
  marked(line) {
    if (this.sync === 1 || this.sync === 3) {
      if (line === "END RETURN") this.sync = this.sync === 1 ? 2 : -1;
    } else if (this.sync === 2 && line === MARKHEADS[1]) {
      this.sync = 3;
    } else {
      this.sync = line === MARKHEADS[0] ? 1 : 0;
    }
  }

  receive(ws, data, resuming) {
    if (ws !== this.socket) return;
    let msg;
    try {
      msg = JSON.parse(data);
    } catch {
      return;
    }
    if (typeof msg.session === "string") {
      this.token = msg.session;
      if (typeof msg.grace === "number") this.grace = msg.grace;
      this.attempt = 0;
      this.lostAt = 0;
      if (this.login === null) this.setState("play", this.name);
      this.remember();
      // Back at the race question of the same game connection: a race chosen
      // meanwhile answers the question that waits.
      const L = this.login;
      if (resuming && L && L.race !== null && L.questions > L.sent.length) this.answer(L.race);
    } else if (typeof msg.line === "string") {
      this.emit("line", msg.line);
      if (this.login !== null) this.dialogue(msg.line);
      else this.reply(msg.line);
    } else if (typeof msg.closed === "string") {
      this.reason = msg.closed;
    }
  }

  // The login dialogue, line by line, up to the player's name. Each line the
  // page sends after the password answers one race question, in order: the
  // sentinel answers it wrongly (the question comes again), a race number
  // rightly (the new player's record comes, then the sentinel's name).
  dialogue(line) {
    const L = this.login;
    if (L.stage === "races") {
      if (line.startsWith("nbLines:")) {
        L.count = Number(line.slice(8));
      } else {
        const m = /^(\d+):(.*)$/.exec(line);
        if (m) L.races.push({ id: Number(m[1]), name: m[2] });
      }
      if (L.races.length >= L.count) this.question();
    } else if (L.stage === "record") {
      if (line === "") L.stage = "entered";
      else L.record.push(line);
    } else if (line === "personnage en cours de creation") {
      // Another connection of the account is at the race question (an
      // earlier one of this page, until the game drops it): try again soon.
      const ws = this.socket;
      this.socket = null;
      if (ws) {
        if (ws.readyState === WebSocket.OPEN) ws.send(JSON.stringify({ quit: true }));
        ws.close();
      }
      this.token = null;
      this.closed(null, { reason: "another connection is creating this player" });
    } else if (line === "compte inconnu" || line === "erreur passe") {
      this.refuse(line === "compte inconnu" ? "unknown account" : "wrong password");
    } else if (line === "en jeu") {
      L.stage = "entered";
    } else if (L.stage !== "entered") {
      // the greeting and the prompts before "en jeu"
    } else if (line === "Race :") {
      L.stage = "races";
      L.races = [];
      L.count = Infinity;
    } else if (line.startsWith("#") && L.sent.some((s) => s !== SENTINEL)) {
      L.stage = "record";
      L.record = [line];
    } else {
      const record = L.record || null;
      this.name = line;
      this.login = null;
      this.lostAt = 0;
      this.setState("play", this.name);
      this.remember();
      this.flush();
      this.emit("play", { record });
    }
  }

  // A race question read whole: already answered, refused, or waiting.
  question() {
    const L = this.login;
    const k = L.questions++;
    L.stage = "entered";
    if (k > 0 && L.sent[k - 1] !== SENTINEL) {
      L.race = null;
      this.emit("refused", "the game did not accept that race; choose again");
    }
    if (k < L.sent.length) return;
    if (L.race !== null) {
      this.answer(L.race);
    } else {
      this.setState("race");
      this.emit("races", L.races);
    }
  }

  refuse(why) {
    const ws = this.socket;
    this.login = null;
    this.socket = null;
    if (ws) {
      if (ws.readyState === WebSocket.OPEN) ws.send(JSON.stringify({ quit: true }));
      ws.close();
    }
    this.setState("closed", why);
    this.emit("refused", why);
  }

  // A reply line in play: the sentinel's name outside a block ends a request.
  reply(line) {
    if (this.sync >= 0) {
      this.marked(line);
      return;
    }
    if (line.startsWith("RETURN ") || line === "TURN PASSED") {
      this.depth += 1;
    } else if (line === "END RETURN") {
      this.depth = Math.max(0, this.depth - 1);
    } else if (this.depth === 0 && line === this.name) {
      const r = this.requests[0];
      if (r && --r.sentinels === 0) {
        this.requests.shift();
        r.resolve(r.lines);
      }
      return;
    }
    const r = this.requests[0];
    if (r) r.lines.push(line);
  }

  sendRaw(line) {
    this.unsent.push(line);
    this.flush();
  }

  flush() {
    const ws = this.socket;
    if (!ws || ws.readyState !== WebSocket.OPEN) return;
    // Lines of a session wait until its resume is done; login lines go first.
    if (this.token === null && this.login === null) return;
    for (const line of this.unsent) ws.send(JSON.stringify({ line }));
    this.unsent = [];
    for (const r of this.requests) r.sent = true;
  }

  // Keeps what a reload needs to resume: never the password.
  remember() {
    if (!this.token || this.login !== null) return;
    try {
      sessionStorage.setItem(
        STORE,
        JSON.stringify({ token: this.token, name: this.name, grace: this.grace }),
      );
    } catch {
      // Storage refused (private mode): a reload will ask for a login.
    }
  }

  closed(ws, event) {
    if (ws !== this.socket && ws !== null) return;
    this.socket = null;
    const reason = this.reason || event.reason;
    if (this.login !== null) {
      // Dropped during the login: a race already chosen is answered at once
      // by a new login; a person still choosing logs in again by choosing.
      const L = this.login;
      // Once the game connection is gone, only a new login brings it back.
      if (FINAL.has(reason) || reason === "another connection is creating this player") this.token = null;
      if (L.race !== null && this.attempt < BACKOFF.length) {
        const wait = BACKOFF[this.attempt++];
        this.setState("connecting", "logging in again");
        this.timer = setTimeout(() => this.open(), wait);
      } else if (L.questions > 0 && L.race === null) {
        this.setState("race", "the game closed the connection; choosing a race logs in again");
      } else {
        this.refuse(reason || "the game server does not answer");
      }
      return;
    }
    if (this.state === "closed") return;
    if (FINAL.has(reason) || this.token === null) {
      this.finish("closed", reason || "connection lost");
      return;
    }
    if (!this.lostAt) this.lostAt = Date.now();
    if (Date.now() - this.lostAt > this.grace * 1000) {
      this.finish("closed", "the session expired while the network was away");
      return;
    }
    const wait = BACKOFF[Math.min(this.attempt, BACKOFF.length - 1)];
    this.attempt += 1;
    this.setState("reconnecting", `retrying in ${Math.round(wait / 1000) || 1} s`);
    this.timer = setTimeout(() => this.open(), wait);
  }

  finish(state, why) {
    clearTimeout(this.timer);
    const ws = this.socket;
    this.socket = null;
    if (ws) ws.close();
    try {
      sessionStorage.removeItem(STORE);
    } catch {
      // nothing kept
    }
    this.token = null;
    const failed = this.requests.concat();
    this.requests = [];
    this.unsent = [];
    this.depth = 0;
    this.sync = -1;
    for (const r of failed) r.reject(new Error(why));
    this.setState(state, why);
  }
}
