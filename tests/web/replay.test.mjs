// The engine built for the browser plays the same frames as the native one: sortie-replay
// compiled to WebAssembly and run under node gives, on every playthrough route, the very
// bytes of the native sortie-replay's summary, sound trace, saved character list and shots.
//
// node --test tests/web/ with SORTIE_BUILD (the native build tree) and SORTIE_WEB_TREE (the
// web build tree, build/web-tree/) in the environment.
import { test } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

const here = path.dirname(fileURLToPath(import.meta.url));
const routes = path.join(here, "..", "playthrough");
const build = process.env.SORTIE_BUILD || path.join(here, "..", "..", "build");
const webTree = process.env.SORTIE_WEB_TREE || path.join(here, "..", "..", "build", "web-tree");

// The last frame of a route: its "sortie-replay --frames N" line.
function lastFrame(route) {
  const text = fs.readFileSync(path.join(routes, route), "utf8");
  return Number(/--frames (\d+)/.exec(text)[1]);
}

// One run of `command` into a fresh folder: what it printed and every file it wrote.
function play(command, route, frames, folder) {
  fs.mkdirSync(path.join(folder, "player"), { recursive: true });
  const shots = [1, Math.floor(frames / 2), frames];
  const args = [...command.slice(1), "--frames", String(frames), "--time", "1000",
                "--input", path.join(routes, route), "--trace", path.join(folder, "trace.txt"),
                "--data", path.join(folder, "player"),
                ...shots.map((frame) => `--shot=${frame}=${path.join(folder, `shot-${frame}.bmp`)}`),
                path.join(build, "game")];
  const run = spawnSync(command[0], args, { encoding: "utf8", maxBuffer: 1 << 26 });
  assert.equal(run.status, 0, `${route}: ${run.stderr}`);
  const files = {};
  const walk = (dir) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
      const file = path.join(dir, entry.name);
      if (entry.isDirectory()) walk(file);
      else files[path.relative(folder, file)] = fs.readFileSync(file).toString("base64");
    }
  };
  walk(folder);
  return { stdout: run.stdout, stderr: run.stderr, files };
}

test("the wasm sortie-replay plays every route byte for byte as the native one", () => {
  const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "sortie-wasm-replay-"));
  try {
    const routeFiles = fs.readdirSync(routes).filter((name) => name.endsWith(".txt")).sort();
    assert.ok(routeFiles.length >= 6);
    for (const route of routeFiles) {
      const frames = lastFrame(route);
      const native = play([path.join(build, "tools", "sortie-replay")], route, frames, path.join(scratch, route, "native"));
      const wasm = play(["node", "--no-experimental-fetch", path.join(webTree, "tools", "sortie-replay.js")], route, frames,
                        path.join(scratch, route, "wasm"));
      assert.equal(wasm.stdout, native.stdout, `${route}: the summaries differ`);
      assert.deepEqual(Object.keys(wasm.files).sort(), Object.keys(native.files).sort(), route);
      for (const name of Object.keys(native.files))
        assert.ok(wasm.files[name] === native.files[name], `${route}: ${name} differs`);
    }
  } finally {
    fs.rmSync(scratch, { recursive: true, force: true });
  }
});
