// The page as a player uses it, in headless Chromium, against the real server
// and gateway (harness.mjs). The tests share one game and run in order: demo
// founds a town and leads an army, then alice comes to fight him. Any page
// error, console error or failed request fails the test that met it.
import assert from "node:assert/strict";
import { after, afterEach, before, test } from "node:test";
import { screenshot, shown, startGame, wait } from "./harness.mjs";

let game;
before(async () => { game = await startGame(); });
afterEach(() => game.endTest());
after(() => game.close());

// Clicks the element once it is there and enabled, again if the page redrew
// it meanwhile.
async function click(page, selector) {
  for (let tries = 0; ; tries++) {
    const element = await page.waitForSelector(`${selector}:not([disabled])`, wait);
    try {
      return await element.click();
    } catch (error) {
      if (tries === 3) throw error;
    }
  }
}

async function login(page, account, password) {
  await page.type("#account", account);
  await page.type("#password", password);
  await click(page, "#login button[type=submit]");
}

async function play(account, password, viewport) {
  const page = await game.page(viewport);
  await page.goto(game.url);
  await login(page, account, password);
  await page.waitForSelector('body[data-ready="1"]', wait);
  return page;
}

const mine = (page) => page.$eval('[data-piece="champion"][data-owner="mine"]',
  (c) => ({ name: c.dataset.name, at: c.dataset.at }));

// Passes turns one at a time, each time waiting for the page to redraw,
// until `selector` shows.
async function turnsUntil(page, selector) {
  for (let i = 0; i < 8 && !(await page.$(selector)); i++) {
    const done = await page.$eval("body", (b) => Number(b.dataset.refreshes));
    await click(page, 'button[data-turns="1"]');
    await page.waitForFunction((n) => Number(document.body.dataset.refreshes) > n, wait, done);
  }
  await page.waitForSelector(selector, wait);
}

async function openSquare(page, at) {
  await click(page, `rect.square[data-at="${at}"]`);
  await page.waitForSelector(`#square[data-at="${at}"]:not([hidden])`, wait);
}

// Types lines into the command line, each once the page took the previous one.
async function command(page, ...lines) {
  for (const line of lines) {
    await page.type("#line", line);
    await page.keyboard.press("Enter");
    await page.waitForFunction(() => document.querySelector("#line").value === "", wait);
  }
}

test("a wrong password is told; a new account chooses its people and sees its champion", async () => {
  const page = await game.page();
  await page.goto(game.url);
  await login(page, "demo", "wrong");
  await page.waitForFunction(() => document.querySelector("#login-message").textContent.trim(), wait);
  await screenshot(page, "login");

  await page.$eval("#login", (form) => form.reset());
  await login(page, "demo", "demo");
  await shown(page, '#races button[data-race="0"]');
  await screenshot(page, "race");
  await click(page, '#races button[data-race="0"]');
  await page.waitForSelector('[data-piece="champion"][data-owner="mine"]', wait);
  assert.deepEqual(await mine(page), { name: "ilvaen", at: "3,5" });
  assert.equal(await page.$eval("#state", (s) => s.dataset.state), "play");
});

test("by clicks alone: a town, a troop, an army and a march", async () => {
  const page = await play("demo", "demo");
  const champion = await mine(page);
  await openSquare(page, champion.at);
  await click(page, '#square button[data-build="bourg"]');
  const town = `[data-piece="building"][data-name="bourg"][data-at="${champion.at}"]`;
  await turnsUntil(page, `#log .entry[data-kind="built"]`);
  await page.waitForSelector(town, wait);
  await screenshot(page, "town");

  await openSquare(page, champion.at);
  const count = await page.waitForSelector("#recruit-count", wait);
  await count.click({ count: 3 });
  await count.type("1");
  await click(page, '#square button[data-recruit="milicien"]');
  const take = `#champions button[data-take][data-champion="${champion.name}"]`;
  await turnsUntil(page, take);
  await click(page, take);
  await page.waitForSelector(`#champions [data-champion="${champion.name}"] button[data-drop]`, wait);

  await openSquare(page, "2,4");
  await click(page, `#square button[data-move="${champion.name}"]`);
  await turnsUntil(page, `[data-piece="champion"][data-owner="mine"][data-at="2,4"]`);

  // How long the page takes to draw ten turns' news (measured, not judged).
  const marks = () => performance.getEntriesByName("redrawn").length;
  const drawn = await page.evaluate(marks);
  await click(page, 'button[data-turns="10"]');
  await page.waitForFunction((n) => performance.getEntriesByName("redrawn").length > n, wait, drawn);
  const ms = await page.evaluate(() => performance.getEntriesByName("redrawn").at(-1).startTime -
    performance.getEntriesByName("reply-end").at(-1).startTime);
  console.log(`10 turns: ${ms.toFixed(1)} ms from the reply's end to the redrawn page`);

  // And with 5,000 lines more in the log, as a long session brings them.
  const fill = await page.evaluate(async () => {
    const { LogView } = await import("/logview.js");
    const { groupLog } = await import("/replies.js");
    const view = new LogView(document.querySelector("#log"));
    const start = performance.now();
    for (let i = 0; i < 50; i++) view.add(groupLog(Array.from({ length: 100 }, (_, k) => `Turn: ${i * 100 + k}  / avail 1`)));
    return (performance.now() - start) / 50;
  });
  await click(page, 'button[data-turns="10"]');
  await page.waitForFunction((n) => performance.getEntriesByName("redrawn").length > n + 1, wait, drawn);
  const late = await page.evaluate(() => performance.getEntriesByName("redrawn").at(-1).startTime -
    performance.getEntriesByName("reply-end").at(-1).startTime);
  console.log(`after 5,000 log lines: ${fill.toFixed(1)} ms per 100 lines added, 10 turns redrawn in ${late.toFixed(1)} ms`);
});

test("a champion marching onto another's square: both players read the same battle", async () => {
  const demo = await play("demo", "demo");
  const target = (await mine(demo)).at;
  const alice = await game.page();
  await alice.goto(game.url);
  await login(alice, "alice", "merveille");
  await shown(alice, '#races button[data-race="0"]');
  await click(alice, '#races button[data-race="0"]');
  await alice.waitForSelector('body[data-ready="1"]', wait);
  const hilde = await mine(alice);
  assert.deepEqual(hilde, { name: "hilde", at: "1,2" });
  const name = hilde.name.toUpperCase();
  await command(alice, `BUILD BOURG ${hilde.at}`, "TURN 4", `RECRUIT 1 MILICIEN ${hilde.at}`,
    "TURN 3", `ORDER ${name} GET #0`, `ORDER ${name} MOVE ${target}`);
  await turnsUntil(alice, "#log details.battle pre.report");
  await turnsUntil(demo, "#log details.battle pre.report");

  const report = (page) => page.$$eval("#log details.battle pre.report", (r) => r.at(-1).textContent);
  assert.match(await report(alice), /Attaquant : alice:\d+ +Defendant : demo:\d+/);
  assert.equal(await report(demo), await report(alice));
  // The log may share its place with the console, behind a tab.
  await alice.$eval('[role="tab"][aria-controls="log"]', (tab) => tab.click()).catch(() => {});
  const battle = (await alice.$$("#log details.battle")).at(-1);
  await battle.evaluate((d) => { d.open = true; d.scrollIntoView(); });
  await screenshot(battle, "battle");
  await screenshot(alice, "page", true);
});

test("a dropped connection and a reload resume the game without a new login", async () => {
  const page = await play("demo", "demo");
  const resumed = async () => {
    await page.waitForFunction(() => document.querySelector("#state").dataset.state === "play" &&
      window.__sockets.at(-1)?.readyState === WebSocket.OPEN, wait);
    assert.equal(await page.$eval("#login", (f) => f.checkVisibility()), false);
  };
  await page.evaluate(() => window.__sockets.at(-1).drop());
  await page.waitForFunction(() => window.__sockets.length === 2, wait);
  await resumed();
  await command(page, "SERVER WHOAMI");
  await page.waitForFunction(() => /WHOAMI[^]*demo/.test(document.querySelector("#console").textContent), wait);

  await page.reload();
  await resumed();
  // An order the game takes without a word and without effect is called so.
  await command(page, "ORDER ILVAEN DROP 3,3");
  await page.waitForSelector('#feedback[data-outcome="nothing"]', wait);
});

test("keyboard alone: log in, choose a people, walk the map and open a square", async () => {
  const page = await game.page();
  await page.goto(game.url);
  const focused = () => page.evaluate(() => document.activeElement.matches("#races button") ?
    "race" : document.activeElement.id);
  const tabTo = async (id) => {
    for (let i = 0; i < 30 && (await focused()) !== id; i++) await page.keyboard.press("Tab");
    assert.equal(await focused(), id);
  };
  await tabTo("account");
  await page.keyboard.type("bob");
  await page.keyboard.press("Tab");
  assert.equal(await focused(), "password");
  await page.keyboard.type("secret");
  await page.keyboard.press("Enter");
  await shown(page, "#races button");
  // The connection goes while the person reads: choosing logs in again.
  await page.evaluate(() => window.__sockets.at(-1).drop());
  await page.waitForFunction(() => document.querySelector("#state").dataset.state === "race" &&
    window.__sockets.at(-1).readyState === WebSocket.CLOSED, wait);
  await tabTo("race");
  await page.keyboard.press("Enter");
  await page.waitForSelector('body[data-ready="1"]', wait);

  await tabTo("map");
  const cursor = () => page.$eval("#map .cursor", (c) => c.dataset.at);
  const first = await cursor();
  for (const key of ["ArrowRight", "ArrowDown", "Enter"]) await page.keyboard.press(key);
  await page.waitForFunction((at) => document.querySelector("#square").dataset.at !== at &&
    !document.querySelector("#square").hidden, wait, first);
  assert.equal(await page.$eval("#square", (s) => s.dataset.at), await cursor());
});

test("on a phone the map and the panels fit the width", async () => {
  const page = await play("demo", "demo",
    { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
  await page.waitForSelector("#map rect.square", wait);
  const { scrollWidth, innerWidth } = await page.evaluate(() =>
    ({ scrollWidth: document.documentElement.scrollWidth, innerWidth: window.innerWidth }));
  assert.ok(scrollWidth <= innerWidth, `${scrollWidth} px wide in ${innerWidth}`);
  await screenshot(page, "phone");
});
