// The pace of the page against the native game, in the same run on the same machine: frames
// per second over 600 frames of each practice stage, the page in headless Chromium (through
// its test hooks, started straight in the stage by an input file's "0 stage" line) and
// build/play/sortie on a virtual display (Xvfb), whose rate is taken from the frame
// counts its recordings end with after two run lengths, so that its start-up cancels out.
// Also the demo site's size gzipped and the page's first frame from a local server.
//
// node tests/web/bench.mjs   (after ./play.sh --web; prints a table for docs/performance.md)
import { spawn } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import os from "node:os";
import path from "node:path";
import zlib from "node:zlib";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.join(here, "..", "..");
const site = process.env.SORTIE_SITE || path.join(root, "build", "web");
const game = path.join(root, "build", "play", "game");
const sortie = path.join(root, "build", "play", "sortie");
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "sortie-bench-"));
const kFrames = 600;
const stages = [["shoot", 5], ["battle", 6]];
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

const types = { ".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm" };
const server = http.createServer((request, response) => {
  const name = new URL(request.url, "http://x").pathname.slice(1) || "index.html";
  const file = [path.join(site, name), path.join(scratch, name)].find((f) => fs.existsSync(f) && fs.statSync(f).isFile());
  if (!file) { response.writeHead(404); response.end(); return; }
  response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
  fs.createReadStream(file).pipe(response);
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const address = `http://127.0.0.1:${server.address().port}/`;

// The page: the frame rate between its first frame and frame kFrames.
async function pageRate(browser, kind, number) {
  fs.writeFileSync(path.join(scratch, `${kind}.txt`), `0 stage ${kind} ${number}\n`);
  const page = await browser.newPage();
  await page.goto(`${address}?time=1000&frames=${kFrames}&input=${kind}.txt`);
  await page.waitForFunction(() => window.sortie.frame >= 1, { polling: 5, timeout: 60000 });
  const start = await page.evaluate(() => [performance.now(), window.sortie.frame]);
  await page.waitForFunction(() => window.sortie.stopped, { polling: 5, timeout: 120000 });
  const end = await page.evaluate(() => performance.now());
  await page.close();
  return (kFrames - start[1]) / ((end - start[0]) / 1000);
}

// The native game on a virtual display of its own: frames run in `seconds`, from its
// recording's summary (SDL turns the SIGTERM into a quit, which writes it).
const display = `:${200 + (process.pid % 500)}`;
const xvfb = spawn("Xvfb", [display, "-screen", "0", "1024x768x24"], { stdio: "ignore" });
await sleep(1000);
async function nativeFrames(kind, number, seconds) {
  const record = path.join(scratch, `native-${kind}-${seconds}.txt`);
  const child = spawn(sortie, ["--scale", "1", "--stage", kind, String(number), "--record", record, game],
                      { stdio: "ignore", env: { ...process.env, DISPLAY: display } });
  await sleep(seconds * 1000);
  child.kill("SIGTERM");
  await new Promise((resolve) => child.on("exit", resolve));
  const match = /^# frames (\d+)$/m.exec(fs.readFileSync(record, "utf8"));
  if (!match) throw new Error(`${record} has no summary`);
  return Number(match[1]);
}

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
  headless: true,
  args: ["--no-sandbox", "--autoplay-policy=no-user-gesture-required", "--window-size=1024,768"],
  defaultViewport: { width: 1024, height: 768 },
});
console.log("| stage | page fps | native fps | ratio |\n|---|---|---|---|");
for (const [kind, number] of stages) {
  const page = await pageRate(browser, kind, number);
  const short = await nativeFrames(kind, number, 4);
  const long = await nativeFrames(kind, number, 4 + kFrames / 60);
  const native = (long - short) / (kFrames / 60);
  console.log(`| ${kind} ${number} | ${page.toFixed(1)} | ${native.toFixed(1)} | ${(page / native).toFixed(3)} |`);
}

// The first frame from a local server, the page's transfer gzipped as a static host sends it.
const page = await browser.newPage();
const opened = Date.now();
await page.goto(`${address}?time=1000`);
await page.waitForFunction(() => window.sortie.frame >= 1, { polling: 5, timeout: 60000 });
console.log(`\nfirst frame ${((Date.now() - opened) / 1000).toFixed(2)} s after the page was asked for`);
let raw = 0, gzipped = 0;
for (const name of fs.readdirSync(site)) {
  const bytes = fs.readFileSync(path.join(site, name));
  raw += bytes.length;
  gzipped += name.endsWith(".gz") ? bytes.length : zlib.gzipSync(bytes, { level: 6 }).length;
  console.log(`${name}: ${(bytes.length / 1e6).toFixed(2)} MB`);
}
console.log(`site ${(raw / 1e6).toFixed(2)} MB, ${(gzipped / 1e6).toFixed(2)} MB transferred gzipped`);
await browser.close();
server.close();
xvfb.kill();
fs.rmSync(scratch, { recursive: true, force: true });
