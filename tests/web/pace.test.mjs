// A person's pace against the server's idle limits for connections not yet
// in play: here a line that comes more than a second after the previous one
// closes the connection unread. The page connects only when the login is
// sent, and a people chosen too late for the server still founds the kingdom.
import assert from "node:assert/strict";
import { after, afterEach, before, test } from "node:test";
import { shown, startGame, wait } from "./harness.mjs";

const pause = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
let game;
before(async () => { game = await startGame({ idle: [1, 60] }); });
afterEach(() => game.endTest());
after(() => game.close());

test("a person who reads the login box and the peoples slowly still plays", async () => {
  const page = await game.page();
  await page.goto(game.url);
  await pause(1500);
  assert.equal(await page.evaluate(() => window.__sockets.length), 0);
  await page.type("#account", "demo");
  await page.type("#password", "demo");
  await page.click("#login button[type=submit]");
  await shown(page, '#races button[data-race="1"]');
  await pause(2500);
  await page.click('#races button[data-race="1"]');
  await page.waitForSelector('body[data-ready="1"]', wait);
  assert.equal(await page.$eval("#kingdom", (k) => k.textContent), "demo, of the Sylvains");
  assert.ok((await page.evaluate(() => window.__sockets.length)) >= 2, "logged in again");
});
