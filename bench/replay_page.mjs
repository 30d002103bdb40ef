// The size of a replay page of 10,000 steps and how soon it is ready in
// headless Chromium: from navigation start to data-steps being set, by the
// page's own performance.now(). Each step of the program stores and puts out
// a ten-digit number, so that the data is as large as a step makes it.
// Chromium is driven through its DevTools protocol by the replay check's client.
//
//   node replay_page.mjs KORVANE_RUN CHROMIUM [LOADS]

import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import { launch } from "../tests/replay/client/cdp.mjs";

const [runPath, chromiumPath, loadsArgument] = process.argv.slice(2);
const loads = Number(loadsArgument ?? 7);
const steps = 10000;
const folder = fs.mkdtempSync(path.join(os.tmpdir(), "korvane-replay-bench-"));
const program = path.join(folder, "count.txt");
fs.writeFileSync(program, "loop\tLDA\tcount\n\tADD\tstep\n\tSTA\tcount\n\tOUT\n\tBRA\tloop\n" +
  "count\tDAT\t1000000000\nstep\tDAT\t7777777\n");
const page = path.join(folder, "count.html");
const run = spawnSync(runPath, ["--replay", page, "--replay-steps", String(steps), "--max-steps",
  String(2 * steps), "-w", program], { encoding: "utf8" });
if (run.status !== 3) throw new Error(`korvane-run ended with ${run.status}: ${run.stderr}`);
const size = fs.statSync(page).size;

const browser = launch(chromiumPath, fs.mkdtempSync(path.join(folder, "profile-")));
const times = [];
for (let i = 0; i < loads; i++) {
  const tab = await browser.newTab();
  // Watches the root element from before the page's script runs.
  await tab.addScriptOnNewDocument(() => {
    new MutationObserver((_, observer) => {
      if (document.documentElement.hasAttribute("data-steps")) {
        window.replayReady = performance.now();
        observer.disconnect();
      }
    }).observe(document, { attributes: true, subtree: true, attributeFilter: ["data-steps"] });
  });
  await tab.goto(pathToFileURL(page).href);
  await tab.waitFor(() => document.documentElement.hasAttribute("data-steps"));
  const [ready, shown] = await tab.evaluate(() => [window.replayReady,
    document.documentElement.getAttribute("data-steps")]);
  if (shown !== String(steps) || ready === undefined) throw new Error(`data-steps is ${shown}, ready ${ready}`);
  times.push(ready);
  await tab.close();
}
await browser.close();
fs.rmSync(folder, { recursive: true, force: true });
times.sort((a, b) => a - b);
const median = times[Math.floor(times.length / 2)];
console.log(`replay page of ${steps} steps: ${size} bytes (${(size / 1048576).toFixed(2)} MiB, ` +
  `limit 1 MiB); ready in ${median.toFixed(0)} ms (median of ${loads} loads, ` +
  `${times[0].toFixed(0)} to ${times[times.length - 1].toFixed(0)} ms; limit 1000 ms)`);
