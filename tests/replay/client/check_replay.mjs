// Opens korvane-run's replay pages in Debian's Chromium, driven through its
// DevTools protocol by cdp.mjs, and checks, at each step reached with the keys, the fragment and the
// controls, that the cells, registers, output and current line are those of
// `korvane-run --trace-format json` of the same run; that hostile program
// texts and file names show as text; and that a page asks for nothing.
//
//   node check_replay.mjs KORVANE_RUN CHROMIUM [RANDOM_PROGRAMS]
//
// Prints "N passed, N failed" and exits non-zero on any failure.

import { spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";
import { launch } from "./cdp.mjs";

const [runPath, chromiumPath, randomArgument] = process.argv.slice(2);
const randomPrograms = Number(randomArgument ?? 16);
if (!fs.existsSync(chromiumPath ?? "")) {
  console.log(`No Chromium at '${chromiumPath}': make test installs Debian's chromium package.`);
  process.exit(1);
}
const folder = fs.mkdtempSync(path.join(os.tmpdir(), "korvane-replay-"));

let passed = 0;
let failed = 0;
function check(ok, what, detail = "") {
  if (ok) passed++;
  else {
    failed++;
    if (failed <= 60) console.log(`FAIL: ${what}${detail ? "\n  " + detail : ""}`);
  }
}
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);

function korvaneRun(args, input = "") {
  const run = spawnSync(runPath, args, { input, encoding: "utf8", timeout: 120000 });
  return { status: run.status, stdout: run.stdout, stderr: run.stderr };
}

// --- What the page must show, worked out from the JSON trace ---------------

function effectWords(step) {
  const two = (n) => String(n).padStart(2, "0");
  const words = { store: `[${two(step.cell)}] = ${step.value}`, jump: `jump to ${two(step.operand)}`,
    "not taken": "not taken", input: `in ${step.input}`, output: `out ${step.output}`,
    flags: `flags = ${step.flags}` }[step.effect] ?? "";
  return step.wrapped ? (words + " wrapped").trim() : words;
}

// The states after 0, 1, 2, ... steps.
function modelOf(image, trace) {
  const memory = Array.from({ length: 100 }, (_, i) => image[i] ?? "00");
  const zero = { pc: "00", opcode: "00", address: "00", accumulator: "00", flags: "00" };
  const states = [{ cells: [...memory], registers: zero, outputs: [], current: [] }];
  const outputs = [];
  for (const step of trace) {
    if (step.effect === "store") memory[step.cell] = String(step.value);
    if (step.effect === "output") outputs.push(String(step.output));
    states.push({
      cells: [...memory],
      registers: {
        pc: String(step.effect === "jump" ? step.operand : step.address + 1),
        opcode: String(step.opcode), address: String(step.operand),
        accumulator: String(step.accumulator), flags: String(step.flags),
      },
      outputs: [...outputs],
      current: step.line === null ? [] : [String(step.line)],
      effect: effectWords(step),
    });
  }
  return states;
}

function snapshot() {
  const all = (selector) => [...document.querySelectorAll(selector)];
  return {
    step: document.documentElement.getAttribute("data-step"),
    cells: all("[data-cell]").map((e) => [e.getAttribute("data-cell"), e.textContent]),
    registers: Object.fromEntries(all("[data-register]").map((e) => [e.getAttribute("data-register"), e.textContent])),
    outputs: all("[data-output]").map((e) => e.textContent),
    current: all('[data-line][aria-current="step"]').map((e) => e.getAttribute("data-line")),
    execute: document.getElementById("execute").textContent,
  };
}

async function expectStep(page, states, n, where) {
  const seen = await page.evaluate(snapshot);
  const state = states[n];
  const cells = state.cells.map((text, i) => [String(i).padStart(2, "0"), text]);
  const problems = [];
  if (seen.step !== String(n)) problems.push(`data-step ${seen.step}`);
  if (!same(seen.cells, cells)) problems.push(`cells ${JSON.stringify(seen.cells.filter((c, i) => !same(c, cells[i])))}`);
  if (!same(seen.registers, state.registers)) problems.push(`registers ${JSON.stringify(seen.registers)}, trace ${JSON.stringify(state.registers)}`);
  if (!same(seen.outputs, state.outputs)) problems.push(`output ${JSON.stringify(seen.outputs)}`);
  if (!same(seen.current, state.current)) problems.push(`current line ${seen.current}, trace ${state.current}`);
  if (n > 0 && !seen.execute.includes(state.effect)) problems.push(`execute '${seen.execute}' without '${state.effect}'`);
  check(problems.length === 0, `${where}, step ${n}`, problems.join("; "));
}

// --- Programs ---------------------------------------------------------------

// A small generator with a fixed seed, so that a failure can be run again.
function randomSource(seed) {
  let state = seed >>> 0;
  const next = () => {
    state = (state + 0x6d2b79f5) >>> 0;
    let t = state;
    t = Math.imul(t ^ (t >>> 15), t | 1);
    t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
    return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
  };
  return { next, int: (low, high) => low + Math.floor(next() * (high - low + 1)),
    pick: (list) => list[Math.floor(next() * list.length)] };
}

const MNEMONICS = ["HLT", "ADD", "SUB", "MUL", "DIV", "STA", "LDA", "BRA", "BRZ", "BRP", "BRN", "BRG", "INP", "OUT"];
const WITH_OPERAND = new Set(["ADD", "SUB", "MUL", "DIV", "STA", "LDA", "BRA", "BRZ", "BRP", "BRN", "BRG"]);
const BRANCHES = new Set(["BRA", "BRZ", "BRP", "BRN", "BRG"]);

// Instructions and labelled data that assemble and run a while, and the values to type.
function randomProgram(random, number) {
  const size = random.int(3, 30);
  const data = random.int(1, Math.min(6, size - 1));
  const names = Array.from({ length: size }, (_, i) => `n${number}x${i}`);
  const values = [0, 1, -1, 2, 7, 46341, 2147483647, -2147483648, random.int(-99, 99)];
  const lines = [];
  for (let index = 0; index < size - data; index++) {
    const mnemonic = random.pick([...MNEMONICS, "ADD", "STA", "LDA", "OUT", "BRZ", "BRP"]);
    const label = random.next() < 0.4 ? names[index] + " " : "\t";
    if (WITH_OPERAND.has(mnemonic)) {
      const target = BRANCHES.has(mnemonic) && random.next() < 0.7 ? random.int(0, size - data - 1)
        : random.int(size - data, size - 1);
      lines.push(`${label}${mnemonic} ${names[target]}`);
    } else {
      lines.push(`${label}${mnemonic}`);
    }
  }
  // Labels that a branch names must be defined: every instruction line gets its own.
  for (let index = 0; index < size - data; index++)
    if (lines[index].startsWith("\t")) lines[index] = names[index] + " " + lines[index].slice(1);
  for (let index = size - data; index < size; index++)
    lines.push(`${names[index]} DAT ${random.pick(values)}`);
  const typed = Array.from({ length: random.int(0, 8) }, () => random.pick(values)).join(" ");
  return { text: lines.join("\n") + "\n", typed };
}

// --- The browser ------------------------------------------------------------

const browser = launch(chromiumPath, fs.mkdtempSync(path.join(folder, "profile-")));

// Every request the page makes, and every script error, error in the log
// (Chromium's own words for what it blocked) or policy violation.
async function openPage(file, fragment = "") {
  const page = await browser.newTab();
  const url = pathToFileURL(file).href;
  page.requests = [];
  page.troubles = [];
  page.on("Network.requestWillBeSent", ({ request }) => page.requests.push(request.url));
  page.on("Runtime.exceptionThrown", ({ exceptionDetails: details }) =>
    page.troubles.push(details.exception?.description ?? details.text));
  page.on("Runtime.consoleAPICalled", ({ type, args }) => {
    if (type === "error") page.troubles.push(args.map((a) => a.value ?? a.description).join(" "));
  });
  page.on("Log.entryAdded", ({ entry }) => {
    if (entry.level === "error") page.troubles.push(entry.text);
  });
  await page.addScriptOnNewDocument(() => {
    document.addEventListener("securitypolicyviolation", (event) => {
      console.error(`CSP violation: ${event.violatedDirective} ${event.blockedURI}`);
    });
  });
  await page.goto(url + fragment);
  await page.waitFor(() => document.documentElement.hasAttribute("data-steps"));
  page.pageUrl = url;
  return page;
}

async function closePage(page, where) {
  check(page.troubles.length === 0, `${where}: no script error or policy violation`, page.troubles.join("; "));
  // The page's own request is seen, so the others would be.
  const others = page.requests.filter((url) => url.split("#")[0] !== page.pageUrl);
  check(others.length === 0 && page.requests.length > 0, `${where}: the page asks for nothing`,
    `${others.join(" ")} of ${page.requests.length} requests`);
  await page.close();
}

// Runs the program with a page and a JSON trace, and opens the page.
async function replayed(where, args, typed, extra = []) {
  const page = path.join(folder, "page.html");
  fs.rmSync(page, { force: true });
  const run = korvaneRun(["--replay", page, "--trace", "--trace-format", "json", ...extra, ...args], typed);
  const plainExtra = extra.filter((a, i) => a !== "--replay-steps" && extra[i - 1] !== "--replay-steps");
  const alone = korvaneRun([...plainExtra, ...args], typed);
  check(run.status === alone.status && run.stdout === alone.stdout, `${where}: the run is the run without a page`,
    `${run.status} ${JSON.stringify(run.stdout)} vs ${alone.status} ${JSON.stringify(alone.stdout)}`);
  const trace = run.stderr.split("\n").filter((line) => line.startsWith("{")).map((line) => JSON.parse(line));
  const image = korvaneRun(["--assemble", "-w", ...args]).stdout.split("\n").slice(0, -1);
  return { file: page, trace, image, run };
}

// Goes through the steps with the keys, then by the fragment, checking each.
async function walk(where, args, typed, { keySteps = Infinity, fragments = 12, seed = 1, extra = [] } = {}) {
  const { file, trace, image } = await replayed(where, args, typed, extra);
  const states = modelOf(image, trace);
  const total = trace.length;
  const page = await openPage(file);
  check(await page.evaluate(() => document.documentElement.getAttribute("data-steps")) === String(total),
    `${where}: data-steps is the number of steps`);
  await expectStep(page, states, 0, where);
  const last = Math.min(total, keySteps);
  for (let n = 1; n <= last; n++) {
    await page.press("ArrowRight");
    await expectStep(page, states, n, `${where}, ArrowRight`);
  }
  await page.press("End");
  await expectStep(page, states, total, `${where}, End`);
  await page.press("ArrowLeft");
  await expectStep(page, states, Math.max(0, total - 1), `${where}, ArrowLeft`);
  await page.press("Home");
  await expectStep(page, states, 0, `${where}, Home`);
  const random = randomSource(seed);
  for (let i = 0; i < fragments && total > 0; i++) {
    const n = random.int(0, total);
    await page.evaluate((n) => { location.hash = "step=" + n; }, n);
    await page.waitFor((n) => document.documentElement.getAttribute("data-step") === String(n), [n]);
    await expectStep(page, states, n, `${where}, #step=${n}`);
  }
  await closePage(page, where);
  if (total > 1) {
    const n = random.int(1, total);
    const opened = await openPage(file, `#step=${n}`);
    await expectStep(opened, states, n, `${where}, opened at #step=${n}`);
    await closePage(opened, `${where}, opened at a step`);
  }
  return { file, states, trace };
}

// --- The checks ---------------------------------------------------------------

const samples = [["0", "3 4"], ["1", "3 7"], ["2", "3"], ["3", "6 7"], ["4", ""], ["5", "5"]];
for (const [sample, typed] of samples)
  await walk(`sample ${sample}`, ["--sample", sample], typed, { seed: Number(sample) + 1 });

const random = randomSource(41);
let programs = 0;
for (let number = 0; programs < randomPrograms && number < randomPrograms * 4; number++) {
  const { text, typed } = randomProgram(random, number);
  const file = path.join(folder, `random${number}.txt`);
  fs.writeFileSync(file, text);
  if (korvaneRun(["--assemble", "-w", file]).status !== 0) continue;
  programs++;
  const limit = random.pick(["20", "100", "1000"]);
  await walk(`random program ${number} (seed 41)`, [file], typed,
    { keySteps: 25, fragments: 10, seed: number, extra: ["--max-steps", limit] });
}
check(programs === randomPrograms, `${programs} random programs assembled`);

// The controls, on the factorial of 5.
{
  const where = "sample 5's controls";
  const { file, trace, image } = await replayed(where, ["--sample", "5"], "5");
  const states = modelOf(image, trace);
  const page = await openPage(file);
  const first = (effect, after = 0) => trace.find((s) => s.effect === effect && s.step > after)?.step;
  const click = async (selector) => { await page.click(selector); };
  await click('[data-jump="output"][data-direction="1"]');
  await expectStep(page, states, first("output"), `${where}, next output`);
  await click("#start");
  await click('[data-jump="store"][data-direction="1"]');
  await expectStep(page, states, first("store"), `${where}, next store`);
  await click('[data-jump="store"][data-direction="1"]');
  await expectStep(page, states, first("store", first("store")), `${where}, next store again`);
  await click('[data-jump="store"][data-direction="-1"]');
  await expectStep(page, states, first("store"), `${where}, previous store`);
  await click('[data-jump="branch"][data-direction="1"]');
  await expectStep(page, states, first("jump", first("store")), `${where}, next branch taken`);
  const here = Number(await page.evaluate(() => document.documentElement.getAttribute("data-step")));
  const line = trace[here - 1].line;
  const again = trace.find((s) => s.line === line && s.step > here)?.step;
  await click('[data-jump="line"][data-direction="1"]');
  await expectStep(page, states, again, `${where}, next run of line ${line}`);
  await click("#forward");
  await expectStep(page, states, again + 1, `${where}, forward`);
  await click("#back");
  await expectStep(page, states, again, `${where}, back`);

  // A breakpoint on the line of the first OUT: play stops when it runs.
  const out = trace.find((s) => s.effect === "output");
  await click("#start");
  await page.select("#speed", "100");
  await click(`[data-line="${out.line}"] button`);
  check(await page.evaluate((line) => document.querySelector(`[data-line="${line}"] button`)
    .getAttribute("aria-pressed"), out.line) === "true",
    `${where}: a breakpoint is pressed`);
  await click("#play");
  await page.waitFor(() => document.getElementById("play").getAttribute("aria-pressed") === "false", [], 20000);
  await expectStep(page, states, out.step, `${where}, play to the breakpoint`);

  // A cell's history: the steps that stored into it, with their values.
  const cell = trace.find((s) => s.effect === "store").cell;
  await click(`button:has(> [data-cell="${String(cell).padStart(2, "0")}"])`);
  const history = await page.evaluate(() => [...document.querySelectorAll("#history li")].map((e) => e.textContent));
  const stores = trace.filter((s) => s.effect === "store" && s.cell === cell).map((s) => `step ${s.step}: ${s.value}`);
  check(same(history.slice(1), stores), `${where}: the history of cell ${cell}`, JSON.stringify(history));

  // Every control can be reached with Tab, and each has a name.
  const names = await page.evaluate(() => [...document.querySelectorAll("button, input, select")]
    .filter((e) => e.tabIndex < 0 || !(e.getAttribute("aria-label") || e.labels?.length || e.textContent.trim()))
    .map((e) => e.outerHTML));
  check(names.length === 0, `${where}: every control is focusable and named`, names.join(" "));
  // No motion for a reader who asks for none.
  const motion = () => page.evaluate(() => [getComputedStyle(document.getElementById("play")).transitionDuration,
    getComputedStyle(document.getElementById("program")).scrollBehavior]);
  check(same(await motion(), ["0.15s, 0.15s", "smooth"]), `${where}: motion by default`, JSON.stringify(await motion()));
  await page.emulateMedia([{ name: "prefers-reduced-motion", value: "reduce" }]);
  check(same(await motion(), ["0s", "auto"]), `${where}: no motion when reduced`, JSON.stringify(await motion()));
  await closePage(page, where);
  const fresh = await openPage(file);
  await fresh.press("Tab");
  check(await fresh.evaluate(() => document.activeElement.id) === "start", `${where}: Tab reaches the first control`);
  await closePage(fresh, where);
}

// The fragment is read as an integer and clamped to the run.
{
  const { file, trace } = await replayed("clamping", ["--sample", "0"], "3 4");
  for (const [fragment, step] of [["#step=-7", 0], ["#step=99999999999999999999", trace.length],
    ["#step=abc", 0], ["#step=3", 3], ["#step=<img src=x onerror=window.pwned=1>", 0]]) {
    const page = await openPage(file, fragment);
    check(await page.evaluate(() => document.documentElement.getAttribute("data-step")) === String(step),
      `${fragment} opens step ${step}`);
    check(await page.evaluate(() => window.pwned === undefined && document.querySelectorAll("img").length === 0),
      `${fragment} runs nothing`);
    await closePage(page, fragment);
  }
}

// A hostile program and file name show as text, and run nothing.
{
  const hostile = "</script><img/src=x/onerror=window.pwned=1>";
  const name = path.join(folder, "evil<", "script><img src=x onerror=window.pwned=2>&amp;\u2028.txt");
  fs.mkdirSync(path.dirname(name), { recursive: true });
  const text = `\tINP\n\tSTA ${hostile}\n\tLDA ${hostile}\n\tOUT\n\tHLT\n${hostile} DAT 5\n`;
  fs.writeFileSync(name, text);
  const { file, trace } = await replayed("hostile", [name], "9");
  check(trace.length === 5, "the hostile program runs", JSON.stringify(trace));
  const bytes = fs.readFileSync(file, "utf8");
  const start = bytes.indexOf('id="run">') + 'id="run">'.length;
  const data = bytes.slice(start, bytes.indexOf("</script>", start));
  // korvane-run names files with a line or paragraph separator as \u2028.
  const shown = name.replace("\u2028", "\\u2028");
  check(!/[<>&\u2028\u2029]/.test(data) && JSON.parse(data).name === shown,
    "the data holds no raw <, >, &, U+2028 or U+2029", data.slice(0, 300));
  const page = await openPage(file);
  const seen = await page.evaluate(() => ({
    pwned: window.pwned, images: document.querySelectorAll("img").length, title: document.title,
    heading: document.getElementById("title").textContent,
    lines: [...document.querySelectorAll("[data-line] .text")].map((e) => e.textContent),
  }));
  check(seen.pwned === undefined && seen.images === 0, "the hostile page runs nothing", JSON.stringify(seen));
  check(seen.heading === `Replay of ${shown}` && seen.title.startsWith(shown), "the file name shows as text", JSON.stringify(seen));
  check(same(seen.lines, text.split("\n").slice(0, -1)), "the program shows as text", JSON.stringify(seen.lines));
  await page.press("End");
  check(await page.evaluate(() => document.getElementById("decode").textContent) === `HLT`, "the hostile page steps");
  await closePage(page, "hostile");
}

// A long run: the page holds --replay-steps steps and says how the run ended,
// in korvane-run's words.
{
  const file = path.join(folder, "loop.txt");
  fs.writeFileSync(file, "top\tLDA one\n\tOUT\n\tBRA top\none\tDAT 1\n");
  const { file: pageFile, trace } = await replayed("long run", [file], "", ["--max-steps", "300", "--replay-steps", "40"]);
  const plain = korvaneRun(["--max-steps", "300", "--no-excerpts", "-w", file]);
  const page = await openPage(pageFile);
  const seen = await page.evaluate(() => ({
    steps: document.documentElement.getAttribute("data-steps"),
    summary: document.getElementById("summary").textContent,
    report: document.getElementById("report").textContent,
  }));
  check(trace.length === 300 && seen.steps === "40", "the page holds the first 40 steps", JSON.stringify(seen));
  check(/300 steps/.test(seen.summary) && /first 40 steps/.test(seen.summary) && /step limit/.test(seen.summary),
    "the page says how far the run went and how it ended", seen.summary);
  check(seen.report === plain.stderr.trimEnd(), "the end in korvane-run's words", `${seen.report}\nvs\n${plain.stderr}`);
  await closePage(page, "long run");
}

// The feedback links the page of a failing case, which opens at the end of
// the run on the case's inputs; a hidden case has none.
{
  const classFolder = path.join(folder, "class");
  fs.mkdirSync(path.join(classFolder, "a"), { recursive: true });
  const file = path.join(classFolder, "a", "sum.txt");
  fs.writeFileSync(file, "\tINP\n\tSTA one\n\tINP\n\tSUB one\n\tOUT\n\tHLT\none\tDAT\n");
  fs.writeFileSync(path.join(classFolder, "sum.cases"), "3 4 => 7\n[hidden] 5 6 => 11\n");
  const graded = spawnSync(runPath, ["-w", "--test", "sum.cases", "--feedback", "out", "a/sum.txt"],
    { cwd: classFolder, encoding: "utf8" });
  const markdown = path.join(classFolder, "out", "a%2Fsum.txt.md");
  const link = /\[Replay of this run\]\(([^)]+)\)/.exec(fs.readFileSync(markdown, "utf8"))?.[1] ?? "";
  const url = new URL(link, pathToFileURL(markdown));
  check(graded.status === 5 && url.pathname.endsWith("/out/a%252Fsum.txt.replays/line-1.html"),
    "the feedback links the failing case's page", `${graded.status} ${link}`);
  const trace = korvaneRun(["--trace", "--trace-format", "json", file], "3\n4\n").stderr.split("\n")
    .filter((line) => line.startsWith("{")).map((line) => JSON.parse(line));
  const image = korvaneRun(["--assemble", "-w", file]).stdout.split("\n").slice(0, -1);
  const page = await openPage(fileURLToPath(url), url.hash);
  await expectStep(page, modelOf(image, trace), trace.length, "a feedback page at its link");
  await closePage(page, "a feedback page");
  check(same(fs.readdirSync(path.dirname(fileURLToPath(url))), ["line-1.html"]), "no page of the hidden case");
}

// The page is never written over the program, and written whole or not at all.
{
  const file = path.join(folder, "keep.txt");
  const text = "\tHLT\n";
  fs.writeFileSync(file, text);
  const link = path.join(folder, "keep-link.txt");
  fs.linkSync(file, link);
  for (const target of [file, link]) {
    const run = korvaneRun(["--replay", target, file]);
    check(run.status === 73 && fs.readFileSync(file, "utf8") === text && /would replace the program/.test(run.stderr),
      `--replay ${path.basename(target)} over the program is refused`, `${run.status} ${run.stderr}`);
  }
  const other = path.join(folder, "other.html");
  fs.writeFileSync(other, "kept");
  fs.symlinkSync(other, path.join(folder, "link.html"));
  const linked = korvaneRun(["--replay", path.join(folder, "link.html"), file]);
  check(linked.status === 73 && fs.readFileSync(other, "utf8") === "kept" && /symbolic link/.test(linked.stderr),
    "a page through a link to a file is refused", `${linked.status} ${linked.stderr}`);
  const missing = korvaneRun(["--replay", path.join(folder, "no/such/folder/page.html"), file]);
  check(missing.status === 73 && /Cannot create the page/.test(missing.stderr), "a page that cannot be made is refused",
    `${missing.status} ${missing.stderr}`);
  check(fs.readdirSync(folder).every((name) => !name.startsWith(".korvane-")), "no temporary file is left behind");
}

await browser.close();
fs.rmSync(folder, { recursive: true, force: true });
console.log(`${passed} passed, ${failed} failed`);
process.exit(failed === 0 ? 0 : 1);
