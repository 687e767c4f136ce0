// The browser build in headless Chromium, against the native engine: the demo's title and
// its two practice routes played through the page's test hooks show, at several frames, the
// very pixels native sortie-replay shoots at those frames; so does a sortie-new game turned
// into a site by sortie-export --web. Real clicks and keys reach the game, and the armory's
// choice and a quick save survive a reload.
//
// node --test tests/web/ with, in the environment:
//   SORTIE_BUILD  the native build tree (sortie-replay, sortie-new, sortie-export, game/)
//   SORTIE_SITE   the demo's site (./play.sh --web writes build/web/)
//   SORTIE_ENGINE the web engine sortie-export uses (the web build gathers it in build/web-engine/)
//   CHROMIUM      the browser (default /usr/bin/chromium)
import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const here = path.dirname(fileURLToPath(import.meta.url));
const routes = path.join(here, "..", "playthrough");
const build = process.env.SORTIE_BUILD || path.join(here, "..", "..", "build");
const site = process.env.SORTIE_SITE || path.join(here, "..", "..", "build", "web");
const engine = process.env.SORTIE_ENGINE || path.join(here, "..", "..", "build", "web-engine");
const tool = (name) => path.join(build, "tools", name);
const kTime = 1000;  // the clock both engines are seeded from
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "sortie-web-"));

// A static server of `roots` (URL prefix -> folder), as a static host serves a site.
const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm", ".txt": "text/plain" };
function serve(roots) {
  const server = http.createServer((request, response) => {
    const url = decodeURIComponent(new URL(request.url, "http://x").pathname);
    for (const [prefix, folder] of Object.entries(roots)) {
      if (!url.startsWith(prefix)) continue;
      const file = path.join(folder, url.slice(prefix.length) || "index.html");
      if (!file.startsWith(folder) || !fs.existsSync(file) || !fs.statSync(file).isFile()) break;
      response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream",
                                "Content-Length": fs.statSync(file).size });
      fs.createReadStream(file).pipe(response);
      return;
    }
    response.writeHead(404);
    response.end();
  });
  return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

// A 24-bit bottom-up BMP as sortie-replay writes it, as 0xRRGGBB numbers top row first.
function readBmp(file) {
  const bytes = fs.readFileSync(file);
  const width = bytes.readInt32LE(18), height = bytes.readInt32LE(22);
  const row = (width * 3 + 3) & ~3;
  const pixels = new Uint32Array(width * height);
  for (let y = 0; y < height; ++y) {
    const at = 54 + (height - 1 - y) * row;
    for (let x = 0; x < width; ++x)
      pixels[y * width + x] = (bytes[at + 3 * x + 2] << 16) | (bytes[at + 3 * x + 1] << 8) | bytes[at + 3 * x];
  }
  return pixels;
}

// Native sortie-replay's shots of `frames` (the last one ends the run).
let shotCount = 0;
function nativeShots(game, frames, { input, data } = {}) {
  const last = Math.max(...frames);
  const files = frames.map(() => path.join(scratch, `shot-${++shotCount}.bmp`));
  const args = ["--frames", String(last), "--time", String(kTime)];
  if (input) args.push("--input", input);
  if (data) args.push("--data", data);
  frames.forEach((frame, i) => args.push("--shot", `${frame}=${files[i]}`));
  args.push(game);
  const run = spawnSync(tool("sortie-replay"), args, { encoding: "utf8" });
  assert.equal(run.status, 0, run.stderr);
  return files.map(readBmp);
}

let browser, demo;
before(async () => {
  browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--autoplay-policy=no-user-gesture-required", "--window-size=1024,768"],
    defaultViewport: { width: 1024, height: 768 },
  });
  demo = await serve({ "/inputs/": routes, "/": site });
});
after(async () => {
  await browser?.close();
  demo?.close();
  fs.rmSync(scratch, { recursive: true, force: true });
});

const address = (server) => `http://127.0.0.1:${server.address().port}/`;

// Opens `url` and waits for the game to stop at its frames=N, run quickly (quick=1); returns
// the canvas as 0xRRGGBB numbers.
async function pageShot(page, url) {
  const errors = [];
  page.on("pageerror", (error) => errors.push(String(error)));
  page.on("console", (message) => errors.push(message.text()));
  url += "&quick=1";
  await page.goto(url);
  await page.waitForFunction(() => window.sortie.stopped, { timeout: 60000 }).catch((error) => {
    throw new Error(`${url} did not stop: ${error.message}; ${errors.join("; ")}`);
  });
  return canvasPixels(page);
}
async function canvasPixels(page) {
  const base64 = await page.evaluate(() => {
    const canvas = document.getElementById("canvas");
    const data = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    let text = "";
    for (let i = 0; i < data.length; i += 0x8000) text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
    return [canvas.width, canvas.height, btoa(text)];
  });
  const [width, height, text] = base64;
  assert.deepEqual([width, height], [800, 600], "the canvas shows the frame at 1x");
  const rgba = Buffer.from(text, "base64");
  const pixels = new Uint32Array(width * height);
  for (let i = 0; i < pixels.length; ++i) pixels[i] = (rgba[4 * i] << 16) | (rgba[4 * i + 1] << 8) | rgba[4 * i + 2];
  return pixels;
}
function assertSamePixels(actual, expected, what) {
  let differ = 0, first = -1;
  for (let i = 0; i < expected.length; ++i) if (actual[i] !== expected[i]) { if (first < 0) first = i; ++differ; }
  assert.equal(differ, 0, `${what}: ${differ} pixels differ, the first at (${first % 800}, ${Math.floor(first / 800)})`);
}

// The route and the frames it is compared at: the title, the practices' menus, stages and
// ends.
const plays = [
  { route: null, frames: [0, 40] },
  { route: "practice_shooting", frames: [200, 579] },
  { route: "practice_battle", frames: [521, 860] },
];
for (const { route, frames } of plays) {
  test(`the page plays ${route || "the title"} as sortie-replay does`, async () => {
    const input = route && path.join(routes, `${route}.txt`);
    const expected = nativeShots(path.join(build, "game"), frames, { input });
    const page = await browser.newPage();
    for (const [i, frame] of frames.entries()) {
      const hooks = `time=${kTime}&frames=${frame}` + (route ? `&input=inputs/${route}.txt` : "");
      assertSamePixels(await pageShot(page, address(demo) + "?" + hooks), expected[i], `${route || "title"} frame ${frame}`);
      assert.equal(await page.evaluate(() => window.sortie.frame), frame);
    }
    await page.close();
  });
}

test("the armory's choice survives a reload", async () => {
  // Natively: two runs over one player's folder; the second fires the weapon the first chose.
  const data = path.join(scratch, "player");
  nativeShots(path.join(build, "game"), [170], { input: path.join(routes, "armory_first.txt"), data });
  const [expected] = nativeShots(path.join(build, "game"), [266], { input: path.join(routes, "armory_second.txt"), data });
  // In the page: the first run's save reaches IndexedDB, and the reloaded page reads it back.
  const page = await browser.newPage();
  await pageShot(page, address(demo) + `?time=${kTime}&frames=170&input=inputs/armory_first.txt`);
  await new Promise((resolve) => setTimeout(resolve, 1000));
  const shown = await pageShot(page, address(demo) + `?time=${kTime}&frames=266&input=inputs/armory_second.txt`);
  assertSamePixels(shown, expected, "armory_second frame 266");
  // A page of its own (a fresh profile) knows nothing of it: the frames differ.
  const context = await browser.createBrowserContext();
  const fresh = await context.newPage();
  const unchosen = await pageShot(fresh, address(demo) + `?time=${kTime}&frames=266&input=inputs/armory_second.txt`);
  assert.notDeepEqual(unchosen, expected);
  await context.close();
  await page.close();
});

// The saved states' files in the page's IndexedDB (IDBFS keeps each file of the player's
// folder as a record keyed by its path): file name -> size.
function storedStates(page) {
  return page.evaluate(() => new Promise((resolve, reject) => {
    const open = indexedDB.open("/libsdl");
    open.onerror = () => reject(open.error);
    open.onsuccess = () => {
      const db = open.result;
      const found = {};
      if (!db.objectStoreNames.contains("FILE_DATA")) { db.close(); resolve(found); return; }
      const cursor = db.transaction("FILE_DATA").objectStore("FILE_DATA").openCursor();
      cursor.onerror = () => reject(cursor.error);
      cursor.onsuccess = () => {
        const at = cursor.result;
        if (!at) { db.close(); resolve(found); return; }
        const name = String(at.key).split("/").pop();
        if (/\.(sav|tmp)$/.test(name)) found[name] = at.value.contents ? at.value.contents.length : -1;
        at.continue();
      };
    };
  }));
}
async function waitForStored(page, name) {
  const deadline = Date.now() + 10000;
  let stored = await storedStates(page);
  while (!stored[name] && Date.now() < deadline) {
    await new Promise((resolve) => setTimeout(resolve, 200));
    stored = await storedStates(page);
  }
  return stored;
}
// Opens the demo as a player does and clicks it into running.
async function startByClick(page) {
  await page.goto(address(demo));
  await page.waitForFunction(() => document.getElementById("message").textContent === "Click to start", { timeout: 60000 });
  await page.click("#cover");
  await page.waitForFunction(() => window.sortie.frame > 30, { timeout: 60000 });
}

test("a quick save (F5) and a quit's suspended game are kept in IndexedDB and read back after a reload", async () => {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await startByClick(page);
  assert.deepEqual(await storedStates(page), {}, "a fresh profile holds no saved state");
  await page.keyboard.press("F5");
  let stored = await waitForStored(page, "quick.sav");
  // The copy is made after the save's rename: the finished file, never its temporary one.
  assert.ok(stored["quick.sav"] > 0, `quick.sav reaches IndexedDB: ${JSON.stringify(stored)}`);
  assert.equal(stored["quick.sav.tmp"], undefined);
  // The reloaded page's player's folder holds the same file before the game starts.
  await page.goto(address(demo));
  await page.waitForFunction(() => document.getElementById("message").textContent === "Click to start", { timeout: 60000 });
  const readBack = await page.evaluate(() => {
    const FS = window.Module.FS;
    const find = (folder) => {
      for (const name of FS.readdir(folder)) {
        if (name === "." || name === "..") continue;
        const full = folder + "/" + name;
        if (FS.isDir(FS.stat(full).mode)) {
          const inside = find(full);
          if (inside >= 0) return inside;
        } else if (name === "quick.sav") {
          return FS.stat(full).size;
        }
      }
      return -1;
    };
    return find("/libsdl");
  });
  assert.equal(readBack, stored["quick.sav"]);
  // Quitting from the pause (P, then Q) keeps the game for the next visit.
  await page.click("#cover");
  await page.waitForFunction(() => window.sortie.frame > 30, { timeout: 60000 });
  await page.keyboard.press("p");
  await page.keyboard.press("q");
  stored = await waitForStored(page, "suspend.sav");
  assert.ok(stored["suspend.sav"] > 0, `suspend.sav reaches IndexedDB: ${JSON.stringify(stored)}`);
  assert.equal(stored["suspend.sav.tmp"], undefined);
  await context.close();
});

test("clicks and keys reach the game, and the page waits for a click to start", async () => {
  const page = await browser.newPage();
  await page.goto(address(demo));
  await page.waitForFunction(() => document.getElementById("message").textContent === "Click to start", { timeout: 60000 });
  assert.equal(await page.evaluate(() => window.sortie.frame), 0, "nothing runs before the click");
  await page.click("#cover");
  await page.waitForFunction(() => window.sortie.frame > 30, { timeout: 60000 });
  const title = await canvasPixels(page);
  // A click on the title goes on to the hangar's menu.
  await page.mouse.move(400, 300 + 84);
  await page.mouse.down();
  await page.mouse.up();
  const framesNow = await page.evaluate(() => window.sortie.frame);
  await page.waitForFunction((at) => window.sortie.frame > at + 30, { timeout: 60000 }, framesNow);
  const menu = await canvasPixels(page);
  assert.notDeepEqual(menu, title, "the click took the game on");
  // P pauses: the picture dims and no frame runs; P again goes on.
  await page.keyboard.down("p");
  await page.keyboard.up("p");
  await new Promise((resolve) => setTimeout(resolve, 500));
  const paused = await page.evaluate(() => window.sortie.frame);
  await new Promise((resolve) => setTimeout(resolve, 500));
  assert.equal(await page.evaluate(() => window.sortie.frame), paused, "no frame runs while paused");
  assert.notDeepEqual(await canvasPixels(page), menu, "the pause dims the picture");
  await page.keyboard.down("p");
  await page.keyboard.up("p");
  await page.waitForFunction((at) => window.sortie.frame > at + 10, { timeout: 60000 }, paused);
  await page.close();
});

// Where the canvas shows on the page: how many canvases, its pixels, its place and size.
const canvasPlace = (page) => page.evaluate(() => {
  const canvas = document.getElementById("canvas");
  const box = canvas.getBoundingClientRect();
  return { canvases: document.querySelectorAll("canvas").length, pixels: [canvas.width, canvas.height],
           box: [box.left, box.top, box.width, box.height], fullScreen: document.fullscreenElement?.id ?? null };
});

test("on a page twice the picture's size the canvas keeps its 800 x 600 frame, shown twice as large, where clicks land", async () => {
  const page = await browser.newPage();
  await page.setViewport({ width: 1700, height: 1300 });
  const [title] = nativeShots(path.join(build, "game"), [40]);
  assertSamePixels(await pageShot(page, address(demo) + `?time=${kTime}&frames=40`), title, "title frame 40 at 2x");
  assert.deepEqual(await canvasPlace(page), { canvases: 1, pixels: [800, 600], box: [50, 50, 1600, 1200], fullScreen: null });
  // A click on the title, then one on the menu's "Shooting practice" at (320, 278) of the
  // picture, (50 + 2 * 320, 50 + 2 * 278) on the page: the practice screen, as natively.
  const [practice] = nativeShots(path.join(build, "game"), [60], { input: path.join(routes, "practice_shooting.txt") });
  await startByClick(page);
  for (const [x, y] of [[400, 300], [320, 278]]) {
    await page.mouse.move(50 + 2 * x + 1, 50 + 2 * y + 1);
    await page.mouse.down();
    await page.mouse.up();
    const framesNow = await page.evaluate(() => window.sortie.frame);
    await page.waitForFunction((at) => window.sortie.frame > at + 20, { timeout: 60000 }, framesNow);
  }
  assertSamePixels(await canvasPixels(page), practice, "the practice screen reached by clicks at 2x");
  // The game's full-screen key (Alt+Enter) asks the page for its full screen; the canvas keeps its frame.
  await page.keyboard.down("Alt");
  await page.keyboard.press("Enter");
  await page.keyboard.up("Alt");
  await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 10000 });
  assert.deepEqual((await canvasPlace(page)).pixels, [800, 600]);
  // Left with the page's own key (F11), full screen comes back with the game's.
  await page.keyboard.press("F11");
  await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 10000 });
  const framesNow = await page.evaluate(() => window.sortie.frame);
  await page.waitForFunction((at) => window.sortie.frame > at + 2, { timeout: 10000 }, framesNow);
  await page.keyboard.down("Alt");
  await page.keyboard.press("Enter");
  await page.keyboard.up("Alt");
  await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 10000 });
  await page.close();
});

test("sortie-export --web makes a site of a sortie-new game that plays as sortie-replay does", async () => {
  const game = path.join(scratch, "newgame");
  let run = spawnSync(tool("sortie-new"), [game], { encoding: "utf8" });
  assert.equal(run.status, 0, run.stderr);
  const out = path.join(scratch, "newsite");
  run = spawnSync(tool("sortie-export"), ["--web", game, out, "--zip", "--engine", engine], { encoding: "utf8" });
  assert.equal(run.status, 0, run.stderr);
  // The zip holds the site's files in a folder of its name, whole (Python's reader checks the CRCs).
  const listing = spawnSync("python3", ["-c", "import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1])\n" +
                            "assert z.testzip() is None\nprint(' '.join(sorted(z.namelist())))", out + ".zip"],
                            { encoding: "utf8" });
  assert.equal(listing.stdout.trim(), "newsite/game.pack.gz newsite/index.html newsite/sortie.js newsite/sortie.wasm",
               listing.stderr);
  // Relative paths only: the site plays from any folder of a host.
  const server = await serve({ "/games/new/": out });
  const frames = [0, 60];
  const expected = nativeShots(game, frames);
  const page = await browser.newPage();
  for (const [i, frame] of frames.entries())
    assertSamePixels(await pageShot(page, address(server) + `games/new/?time=${kTime}&frames=${frame}`), expected[i],
                     `the new game's frame ${frame}`);
  await page.close();
  server.close();

  // A game with an error is refused, the error listed, and nothing written.
  fs.rmSync(path.join(game, "bmp"), { recursive: true });
  const refused = path.join(scratch, "refused");
  run = spawnSync(tool("sortie-export"), ["--web", game, refused, "--engine", engine], { encoding: "utf8" });
  assert.equal(run.status, 1);
  assert.match(run.stderr, /error: /);
  assert.ok(!fs.existsSync(refused));
});
