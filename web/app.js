// The page: logs in through the gateway's WebSocket (/ws), shows every line
// the game server sends and sends one command line at a time.

const MAXLINES = 2000;
const byId = (id) => document.getElementById(id);
const log = byId("log");
const login = byId("login");
const command = byId("command");
let socket = null;

function setState(text) {
  byId("state").textContent = text;
}

// Text only ever goes in through textContent: a line is shown, never parsed.
function addLine(text, kind) {
  const atBottom = log.scrollHeight - log.scrollTop - log.clientHeight < 8;
  const div = document.createElement("div");
  div.textContent = text;
  if (kind) div.className = kind;
  log.append(div);
  while (log.childElementCount > MAXLINES) log.firstElementChild.remove();
  if (atBottom) log.scrollTop = log.scrollHeight;
}

function connect(account, password) {
  const scheme = location.protocol === "https:" ? "wss:" : "ws:";
  const ws = new WebSocket(`${scheme}//${location.host}/ws`);
  let reason = "";
  socket = ws;
  setState("connecting");
  login.hidden = true;
  // The first message opens the game connection; the gateway keeps the order.
  ws.addEventListener("open", () => {
    ws.send(JSON.stringify({ line: account }));
    ws.send(JSON.stringify({ line: password }));
  });
  ws.addEventListener("message", (event) => {
    let msg;
    try {
      msg = JSON.parse(event.data);
    } catch {
      return;
    }
    if (typeof msg.line === "string") {
      addLine(msg.line);
    } else if (typeof msg.session === "string") {
      setState(`connected as ${account}`);
      command.hidden = false;
      byId("line").focus();
    } else if (typeof msg.closed === "string") {
      reason = msg.closed;
    }
  });
  ws.addEventListener("close", (event) => {
    socket = null;
    const lost = event.code === 1006 ? "connection lost" : `code ${event.code}`;
    const why = reason || event.reason || lost;
    setState(`closed: ${why}`);
    addLine(`-- closed: ${why}`, "note");
    command.hidden = true;
    login.hidden = false;
    byId("account").focus();
  });
}

login.addEventListener("submit", (event) => {
  event.preventDefault();
  const account = byId("account").value.trim();
  if (account === "" || socket !== null) return;
  const password = byId("password").value;
  byId("password").value = "";
  connect(account, password);
});

command.addEventListener("submit", (event) => {
  event.preventDefault();
  const input = byId("line");
  if (socket === null || socket.readyState !== WebSocket.OPEN) return;
  addLine(`> ${input.value}`, "sent");
  socket.send(JSON.stringify({ line: input.value }));
  input.value = "";
});
