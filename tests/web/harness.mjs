// The page's tests in a headless browser: one game server and one gateway per
// test file, on a fresh copy of game/ with a fixed seed, and one Chromium
// whose pages record every error they meet.
import { spawn } from "node:child_process";
import { existsSync } from "node:fs";
import { cp, mkdir, mkdtemp, rm } from "node:fs/promises";
import net from "node:net";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const ROOT = fileURLToPath(new URL("../..", import.meta.url));
const BIN = path.resolve(ROOT, process.env.ROYAUMES_BIN ||
  (existsSync(path.join(ROOT, "build-test/royaumes-web")) ? "build-test" : "build"));
const SHOTS = process.env.ROYAUMES_SCREENSHOTS || path.join(BIN, "web-screenshots");
// The page's folder; another one (a page in the making) may be tried with ROYAUMES_WWW.
const WWW = path.resolve(ROOT, process.env.ROYAUMES_WWW || "web");

const freePort = () => new Promise((resolve, reject) => {
  const srv = net.createServer().once("error", reject);
  srv.listen(0, "127.0.0.1", () => {
    const { port } = srv.address();
    srv.close(() => resolve(port));
  });
});

// Starts a program and keeps what it prints, to show when it fails.
function start(file, args) {
  const child = spawn(path.join(BIN, file), args, { stdio: ["ignore", "pipe", "pipe"] });
  child.output = "";
  const keep = (d) => { child.output = (child.output + d).slice(-8000); };
  child.stdout.on("data", keep);
  child.stderr.on("data", keep);
  child.ended = new Promise((resolve) => child.once("exit", resolve));
  return child;
}

async function listening(child, port) {
  for (let i = 0; i < 100; i++) {
    if (child.exitCode !== null) break;
    const ok = await new Promise((resolve) => {
      const s = net.connect(port, "127.0.0.1", () => { s.destroy(); resolve(true); });
      s.once("error", () => resolve(false));
    });
    if (ok) return;
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error(`${child.spawnfile} does not listen on ${port}:\n${child.output}`);
}

async function stop(child) {
  if (child.exitCode === null) child.kill("SIGTERM");
  const timer = setTimeout(() => child.kill("SIGKILL"), 10000);
  const code = await child.ended;
  clearTimeout(timer);
  return code;
}

// Lets a test cut a page's WebSocket as a lost network would: close() is
// sent, but the page sees code 1006 (abnormal) instead of a clean close.
function wrapSockets() {
  const Native = window.WebSocket;
  window.__sockets = [];
  window.WebSocket = class extends Native {
    constructor(...args) {
      super(...args);
      window.__sockets.push(this);
      this.addEventListener("close", (event) => {
        if (!this.__dropped || event.code === 1006) return;
        event.stopImmediatePropagation();
        this.dispatchEvent(new CloseEvent("close", { code: 1006, wasClean: false }));
      });
    }
    drop() { this.__dropped = true; this.close(); }
  };
}

// idle: the server's limits for connections not yet in play, in seconds.
export async function startGame({ idle = [60, 300] } = {}) {
  const tmp = await mkdtemp(path.join(os.tmpdir(), "royaumes-web-"));
  const dir = path.join(tmp, "game");
  await cp(path.join(ROOT, "game"), dir, { recursive: true });
  const [gamePort, webPort] = [await freePort(), await freePort()];
  const server = start("royaumes-server", ["--dir", dir, "--port", String(gamePort),
    "--seed", "7", "--idle-busy", String(idle[0]), "--idle-quiet", String(idle[1])]);
  await listening(server, gamePort);
  const gateway = start("royaumes-web", ["--www", WWW, "--dir", dir,
    "--game", `127.0.0.1:${gamePort}`, "--listen", `127.0.0.1:${webPort}`, "--grace", "30"]);
  await listening(gateway, webPort);
  const url = `http://127.0.0.1:${webPort}/`;

  const profile = path.join(tmp, "chromium");
  const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  const pages = [];

  return {
    url,
    // A new page (options: a puppeteer viewport), not yet navigated.
    async page(viewport = { width: 1280, height: 800 }) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setViewport(viewport);
      page.problems = [];
      const note = (text) => page.problems.push(text);
      page.on("pageerror", (e) => note(`page error: ${e.message}`));
      page.on("console", (m) => m.type() === "error" && note(`console: ${m.text()}`));
      page.on("requestfailed", (r) => {
        const why = r.failure()?.errorText;
        if (r.url().startsWith(url) && why !== "net::ERR_ABORTED") note(`request ${r.url()}: ${why}`);
      });
      page.on("response", (r) => r.url().startsWith(url) && r.status() >= 400 &&
        note(`request ${r.url()}: HTTP ${r.status()}`));
      await page.evaluateOnNewDocument(wrapSockets);
      pages.push({ page, context });
      return page;
    },
    // Closes the test's pages, each after a quit (as a logout would), and
    // fails on any error they met.
    async endTest() {
      const problems = [];
      for (const { page, context } of pages.splice(0)) {
        problems.push(...page.problems);
        await page.evaluate(() => window.__sockets.forEach((s) =>
          s.readyState === 1 && s.send(JSON.stringify({ quit: true })))).catch(() => {});
        await context.close();
      }
      // Shown even when the test failed already: they often tell why.
      if (problems.length) {
        console.log(`the page met errors:\n${problems.join("\n")}`);
        throw new Error("the page met errors (above)");
      }
    },
    async close() {
      await browser.close().catch(() => {});
      const codes = [await stop(gateway), await stop(server)];
      await rm(tmp, { recursive: true, force: true });
      if (codes.some((c) => c !== 0)) {
        throw new Error(`stopped with ${codes}:\n${gateway.output}\n${server.output}`);
      }
    },
  };
}

// Waits poll every 50 ms: those that count animation frames stall now and
// then in headless Chromium.
export const wait = { timeout: 8000, polling: 50 };

/** Waits until the element of selector is shown. */
export const shown = (page, selector) =>
  page.waitForFunction((s) => document.querySelector(s)?.checkVisibility(), wait, selector);

// Of a page's viewport (its whole length with full), or of one element.
export async function screenshot(target, name, full = false) {
  await mkdir(SHOTS, { recursive: true });
  await target.screenshot({ path: path.join(SHOTS, `${name}.png`), ...(full && { fullPage: true }) });
}
