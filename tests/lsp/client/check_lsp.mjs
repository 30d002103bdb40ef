// Drives korvane-lsp through vscode-languageserver-protocol and vscode-jsonrpc,
// the libraries VS Code's own language client is built on, and checks each
// feature against tests/lsp/features.json and against korvane-run itself.
//
//   node check_lsp.mjs KORVANE_LSP KORVANE_RUN TESTS_LSP_DIR
//
// Prints "N passed, N failed" and exits non-zero on any failure.

import { spawn, spawnSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { pathToFileURL } from "node:url";
import {
  createProtocolConnection,
  StreamMessageReader,
  StreamMessageWriter,
} from "vscode-languageserver-protocol/node.js";
import { TextDocument } from "vscode-languageserver-textdocument";

const [lspPath, runPath, dataDir] = process.argv.slice(2);
const features = JSON.parse(fs.readFileSync(path.join(dataDir, "features.json"), "utf8"));
// Documents given inline keep line ends that a file in the repository would not.
const inline = new Map((features.lineEnds ?? []).map((item) => [item.name, item.text]));
const programText = (name) =>
  inline.get(name) ?? fs.readFileSync(path.join(dataDir, "programs", name), "utf8");
const uriOf = (name) => pathToFileURL(path.join(dataDir, "programs", name)).href;

let passed = 0;
let failed = 0;
function check(ok, what, detail = "") {
  if (ok) passed++;
  else {
    failed++;
    console.log(`FAIL: ${what}${detail ? "\n  " + detail : ""}`);
  }
}
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);

// --- korvane-run's diagnostics, with byte columns turned into UTF-16 ----------

function utf16Column(lineText, byteColumn) {
  const bytes = Buffer.from(lineText, "utf8");
  return bytes.subarray(0, byteColumn - 1).toString("utf8").length;
}

const severityNames = { error: 1, warning: 2, note: 3 };

// korvane-run reads a file with each carriage return before a line feed
// dropped, and counts lines at line feeds alone. Its line and byte column,
// turned into the offset in the text as the client holds it, become the
// protocol's position there, as vscode-languageserver-textdocument counts
// lines (at CR LF, LF or CR).
function runPlaces(text) {
  const kept = []; // the offset in the text of each character korvane-run reads
  for (let i = 0; i < text.length; i++)
    if (!(text[i] === "\r" && text[i + 1] === "\n")) kept.push(i);
  kept.push(text.length);
  const lines = kept.slice(0, -1).map((i) => text[i]).join("").split("\n");
  const document = TextDocument.create("file:///run", "korvane", 0, text);
  return (number, byteColumn) => {
    let offset = lines.slice(0, number - 1).reduce((sum, line) => sum + line.length + 1, 0);
    offset += utf16Column(lines[number - 1] ?? "", byteColumn);
    const at = document.positionAt(kept[Math.min(offset, kept.length - 1)]);
    return [at.line, at.character];
  };
}

// Each "FILE:LINE:COLUMN: severity: message" (or "FILE: severity: message")
// that korvane-run writes about the text, as [line, character, severity, message].
function runDiagnostics(text) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "korvane-lsp-"));
  const file = path.join(folder, "prog.txt");
  fs.writeFileSync(file, text);
  const run = spawnSync(runPath, ["--no-excerpts", "--assemble", file], { encoding: "utf8" });
  fs.rmSync(folder, { recursive: true });
  const placeOf = runPlaces(text);
  const found = [];
  for (const line of run.stderr.split("\n")) {
    const at = line.match(/^[^:]*prog\.txt:(\d+):(\d+): (error|warning|note): (.*)$/);
    if (at) {
      found.push([...placeOf(Number(at[1]), Number(at[2])), severityNames[at[3]], at[4]]);
      continue;
    }
    const whole = line.match(/^[^:]*prog\.txt: (error|warning|note): (.*)$/);
    if (whole) found.push([0, 0, severityNames[whole[1]], whole[2]]);
  }
  return found;
}

// Each diagnostic, then each related place as the note korvane-run writes for it.
const shownDiagnostics = (list) =>
  list.flatMap((d) => [
    [d.range.start.line, d.range.start.character, d.severity, d.message],
    ...(d.relatedInformation ?? []).map((r) =>
      [r.location.range.start.line, r.location.range.start.character, 3, r.message]),
  ]);

// --- the server ---------------------------------------------------------------

const server = spawn(lspPath, ["--stdio"], { stdio: ["pipe", "pipe", "inherit"] });
const exited = new Promise((resolve) => server.on("exit", (code) => resolve(code)));
const connection = createProtocolConnection(
  new StreamMessageReader(server.stdout),
  new StreamMessageWriter(server.stdin),
);
// Error responses with a null id (to malformed messages) reach no request.
const unanswered = [];
connection.onError(([error]) => unanswered.push(String(error?.message ?? error)));

const published = new Map(); // uri -> list of waiting resolvers and the latest params
function nextDiagnostics(uri) {
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error(`no diagnostics for ${uri}`)), 30000);
    const waiting = published.get(uri) ?? [];
    waiting.push((params) => { clearTimeout(timer); resolve(params); });
    published.set(uri, waiting);
  });
}
connection.onNotification("textDocument/publishDiagnostics", (params) => {
  const waiting = published.get(params.uri) ?? [];
  published.set(params.uri, []);
  for (const resolve of waiting) resolve(params);
});
// What the server asks the client to show the user.
const shownMessages = [];
connection.onNotification("window/showMessage", (params) => shownMessages.push(params));
connection.listen();

const documents = new Map(); // uri -> TextDocument, as the client sees it

async function open(name, text = programText(name)) {
  const uri = uriOf(name);
  const document = TextDocument.create(uri, "korvane", 1, text);
  documents.set(uri, document);
  const diagnostics = nextDiagnostics(uri);
  await connection.sendNotification("textDocument/didOpen", {
    textDocument: { uri, languageId: "korvane", version: 1, text },
  });
  return (await diagnostics).diagnostics;
}

// Sends the edits as incremental changes, as VS Code does, and returns the
// diagnostics published for the new version.
async function edit(uri, edits) {
  const before = documents.get(uri);
  const changes = [...edits]
    .sort((a, b) => before.offsetAt(b.range.start) - before.offsetAt(a.range.start))
    .map((e) => ({ range: e.range, text: e.newText }));
  const after = TextDocument.update(before, changes, before.version + 1);
  documents.set(uri, after);
  const diagnostics = nextDiagnostics(uri);
  await connection.sendNotification("textDocument/didChange", {
    textDocument: { uri, version: after.version }, contentChanges: changes,
  });
  const params = await diagnostics;
  check(params.version === after.version, `${uri}: diagnostics for version ${after.version}`);
  return params.diagnostics;
}

const toRange = ([l1, c1, l2, c2]) => ({ start: { line: l1, character: c1 },
                                        end: { line: l2, character: c2 } });
const fromRange = (r) => [r.start.line, r.start.character, r.end.line, r.end.character];

async function main() {
  const early = await connection.sendRequest("textDocument/hover", {}).catch((e) => e);
  check(early.code === -32002, "a request before initialize is refused", JSON.stringify(early));

  const init = await connection.sendRequest("initialize", {
    processId: process.pid, rootUri: null, capabilities: {},
  });
  check(init.capabilities.positionEncoding === "utf-16", "UTF-16 positions");
  check(init.capabilities.textDocumentSync.change === 2, "incremental sync");
  check(same(init.capabilities.completionProvider?.triggerCharacters, [" ", "\t"]),
        "completion offered after a blank or a tab");
  await connection.sendNotification("initialized", {});

  // Diagnostics equal korvane-run's: same lines, columns in UTF-16, same order.
  const seenSeverities = new Set();
  for (const name of features.diagnosed) {
    const diagnostics = await open(name);
    const expected = runDiagnostics(programText(name));
    for (const [, , severity] of expected) seenSeverities.add(severity);
    check(same(shownDiagnostics(diagnostics), expected), `${name}: diagnostics as korvane-run's`,
          `${JSON.stringify(shownDiagnostics(diagnostics))}\n  ${JSON.stringify(expected)}`);
    check(diagnostics.every((d) => typeof d.code === "string" && d.source === "korvane"),
          `${name}: code and source`);
  }

  check(seenSeverities.size === 3, "errors, warnings and notes all compared");

  // Lines ended by CR LF, LF or CR alone, as the protocol counts them: the
  // diagnostics, notes and fixes korvane-run finds in the same bytes, placed
  // inside the document's lines, and no edit holding a carriage return.
  for (const { name, text, dataLabels } of features.lineEnds) {
    const uri = uriOf(name);
    const diagnostics = await open(name);
    check(same(shownDiagnostics(diagnostics), runDiagnostics(text)),
          `${name}: diagnostics as korvane-run's`,
          `${JSON.stringify(shownDiagnostics(diagnostics))}\n  ${JSON.stringify(runDiagnostics(text))}`);
    const document = documents.get(uri);
    const inside = (p) => {
      const back = document.positionAt(document.offsetAt(p));
      return back.line === p.line && back.character === p.character;
    };
    const ranges = diagnostics.flatMap((d) =>
      [d.range, ...(d.relatedInformation ?? []).map((r) => r.location.range)]);
    check(ranges.every((r) => inside(r.start) && inside(r.end)),
          `${name}: every place inside the document's lines`, JSON.stringify(ranges));
    const symbols = await connection.sendRequest("textDocument/documentSymbol", { textDocument: { uri } });
    check(!dataLabels || same(symbols.filter((s) => s.kind === 13).map((s) => s.name), dataLabels),
          `${name}: a label before DAT on the next editor line is a data label`, JSON.stringify(symbols));
    check(symbols.every((s) => inside(s.range.end) && s.range.end.line === s.range.start.line),
          `${name}: each label's line ends before its line end`, JSON.stringify(symbols));
    check(diagnostics.some((d) => d.code === "carriage-return-line-ends") === /\r(?!\n)/.test(text),
          `${name}: a note on carriage returns only where they stand alone`);
    const actions = await connection.sendRequest("textDocument/codeAction", {
      textDocument: { uri }, range: toRange([0, 0, document.lineCount, 0]), context: { diagnostics },
    });
    const edits = actions.flatMap((a) => a.edit.changes[uri]);
    check(edits.every((e) => !e.newText.includes("\r") && inside(e.range.start) && inside(e.range.end)),
          `${name}: fixes inside the lines, without a carriage return`, JSON.stringify(edits));
  }

  // Related places: where a label was first defined.
  for (const item of features.related) {
    const diagnostics = await open(item.file);
    const found = diagnostics.find((d) => d.code === item.code);
    const related = (found?.relatedInformation ?? [])
      .map((r) => [...fromRange(r.location.range), r.message]);
    check(same(related, item.related) &&
          found.relatedInformation.every((r) => r.location.uri === uriOf(item.file)),
          `${item.file}: related information of ${item.code}`, JSON.stringify(found));
  }

  // Quick fixes, applied as a client applies them, until the program assembles.
  for (const name of features.fixUntilAssembled) {
    const uri = uriOf(name);
    let diagnostics = await open(name);
    let rounds = 0;
    while (diagnostics.some((d) => d.severity === 1) && rounds++ < 20) {
      const actions = await connection.sendRequest("textDocument/codeAction", {
        textDocument: { uri },
        range: toRange([0, 0, documents.get(uri).lineCount, 0]),
        context: { diagnostics, only: ["quickfix"] },
      });
      if (!actions.length) break;
      const action = actions[0];
      check(action.kind === "quickfix" && /^[A-Z]/.test(action.title), `${name}: action ${action.title}`);
      check(action.edit.changes[uri].every((e) => !e.newText.includes("\r")),
            `${name}: '${action.title}' holds no carriage return`);
      diagnostics = await edit(uri, action.edit.changes[uri]);
      check(same(shownDiagnostics(diagnostics), runDiagnostics(documents.get(uri).getText())),
            `${name}: diagnostics after '${action.title}' as korvane-run's`);
    }
    check(!diagnostics.some((d) => d.severity === 1), `${name}: assembles after its quick fixes`,
          JSON.stringify(diagnostics));
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), "korvane-lsp-"));
    fs.writeFileSync(path.join(folder, name), documents.get(uri).getText());
    check(spawnSync(runPath, ["--assemble", path.join(folder, name)]).status === 0,
          `${name}: korvane-run assembles the fixed text`);
    fs.rmSync(folder, { recursive: true });
    // Back to the file as it is, for the other checks.
    await edit(uri, [{ range: toRange([0, 0, 1e6, 0]), newText: programText(name) }]);
  }

  // Changes past a line's end or past the last line are clamped as the
  // client clamps them: the server's text, seen through its diagnostics, is
  // the client's.
  {
    const uri = uriOf("windows.txt");
    const diagnostics = await edit(uri, [
      { range: toRange([0, 40, 0, 99]), newText: " x" },
      { range: toRange([1, 3, 1, 50]), newText: "T" },
      { range: toRange([9, 0, 12, 4]), newText: "\tOUT" },
    ]);
    const text = documents.get(uri).getText();
    check(text === "\toupt x\r\n\tHLT\r\n\tOUT" &&
          same(shownDiagnostics(diagnostics), runDiagnostics(text)),
          "changes out of range: clamped as the client clamps them",
          `${JSON.stringify(text)} ${JSON.stringify(shownDiagnostics(diagnostics))}`);
  }

  const position = (item) => ({ textDocument: { uri: uriOf(item.file) },
                                position: { line: item.at[0], character: item.at[1] } });
  for (const item of features.hover) {
    const hover = await connection.sendRequest("textDocument/hover", position(item));
    check(same(hover?.contents?.value ?? null, item.value),
          `hover ${item.file} ${item.at}`, JSON.stringify(hover));
  }
  for (const item of features.definition) {
    const found = await connection.sendRequest("textDocument/definition", position(item));
    check(same(found ? fromRange(found.range) : null, item.range) &&
          (!found || found.uri === uriOf(item.file)), `definition ${item.file} ${item.at}`,
          JSON.stringify(found));
  }
  for (const item of features.references) {
    const found = await connection.sendRequest("textDocument/references",
                                               { ...position(item), context: { includeDeclaration: true } });
    check(same(found.map((l) => fromRange(l.range)), item.ranges), `references ${item.file} ${item.at}`,
          JSON.stringify(found));
  }
  for (const item of features.highlight) {
    const found = await connection.sendRequest("textDocument/documentHighlight", position(item));
    check(same(found.map((h) => [...fromRange(h.range), h.kind]), item.ranges),
          `highlight ${item.file} ${item.at}`, JSON.stringify(found));
  }
  for (const item of features.rename) {
    const result = await connection.sendRequest("textDocument/rename",
                                                { ...position(item), newName: item.newName })
      .then((edit) => ({ edit }), (error) => ({ error }));
    if (item.error) {
      check(result.error?.message === item.error, `rename to ${item.newName} refused`,
            JSON.stringify(result));
      continue;
    }
    const edits = result.edit?.changes?.[uriOf(item.file)] ?? [];
    check(same(edits.map((e) => fromRange(e.range)), item.ranges) &&
          edits.every((e) => e.newText === item.newName), `rename to ${item.newName}`,
          JSON.stringify(result));
    // The renamed program has the same diagnostics, apart from the name.
    const renamed = TextDocument.applyEdits(documents.get(uriOf(item.file)), edits);
    check(runDiagnostics(renamed).length === runDiagnostics(programText(item.file)).length,
          `rename to ${item.newName}: as many diagnostics as before`);
  }

  // Completion: the labels (or mnemonics) offered, in the order a client sorts them.
  const sorted = (items) => [...items].sort((a, b) =>
    (a.sortText ?? a.label).localeCompare(b.sortText ?? b.label));
  for (const item of features.completion) {
    const found = await connection.sendRequest("textDocument/completion", position(item));
    const list = sorted(Array.isArray(found) ? found : found?.items ?? []);
    check(same(list.map((c) => c.label), item.labels), `completion ${item.file} ${item.at}`,
          JSON.stringify(list.map((c) => c.label)));
    for (const [label, detail] of Object.entries(item.details ?? {}))
      check(list.find((c) => c.label === label)?.detail === detail,
            `completion ${item.file} ${item.at}: what '${label}' says`);
  }

  // Document symbols: [name, kind, selection range].
  for (const item of features.symbols) {
    const found = await connection.sendRequest("textDocument/documentSymbol",
                                               { textDocument: { uri: uriOf(item.file) } });
    check(same(found.map((s) => [s.name, s.kind, ...fromRange(s.selectionRange)]), item.symbols),
          `symbols of ${item.file}`, JSON.stringify(found));
  }

  // Semantic tokens, decoded with the legend the server declared.
  const legend = init.capabilities.semanticTokensProvider.legend;
  for (const item of features.semanticTokens) {
    const found = await connection.sendRequest("textDocument/semanticTokens/full",
                                               { textDocument: { uri: uriOf(item.file) } });
    const tokens = [];
    let line = 0;
    let start = 0;
    for (let i = 0; i + 4 < found.data.length; i += 5) {
      const [deltaLine, deltaStart, length, type, modifiers] = found.data.slice(i, i + 5);
      start = deltaLine === 0 ? start + deltaStart : deltaStart;
      line += deltaLine;
      const names = legend.tokenModifiers.filter((_, bit) => modifiers & (1 << bit));
      tokens.push([line, start, length, legend.tokenTypes[type], ...names]);
    }
    check(same(tokens, item.tokens), `semantic tokens of ${item.file}`, JSON.stringify(tokens));
  }

  // Formatting: the edits applied as a client applies them give the expected
  // text, as many lines, and the memory image korvane-run assembles before.
  const image = (text) => {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), "korvane-lsp-"));
    fs.writeFileSync(path.join(folder, "prog.txt"), text);
    const run = spawnSync(runPath, ["--assemble", path.join(folder, "prog.txt")], { encoding: "utf8" });
    fs.rmSync(folder, { recursive: true });
    return run.status === 0 ? run.stdout : null;
  };
  for (const item of features.formatting) {
    const uri = uriOf(item.file);
    shownMessages.length = 0;
    const edits = await connection.sendRequest("textDocument/formatting",
                                               { textDocument: { uri }, options: item.options });
    const before = documents.get(uri).getText();
    const after = TextDocument.applyEdits(documents.get(uri), edits);
    const what = `formatting ${item.file} ${JSON.stringify(item.options)}`;
    check(same(shownMessages.map((m) => [m.type, m.message]), item.message ? [[2, item.message]] : []),
          `${what}: what the user is told`, JSON.stringify(shownMessages));
    check(edits.every((e) => !/[\r\n]/.test(e.newText)), `${what}: no edit holds a line end`);
    if (item.text === null) {
      check(edits.length === 0, `${what}: no edits`, JSON.stringify(edits));
      continue;
    }
    check(after === item.text, what, JSON.stringify(after));
    check(after.split("\n").length === before.split("\n").length, `${what}: as many lines`);
    const lineEnds = (text) => text.match(/\r\n|\r|\n/g) ?? [];
    check(same(lineEnds(after), lineEnds(before)), `${what}: every line end as it was`);
    check(image(after) !== null && image(after) === image(before), `${what}: the same image`);
  }

  // A document over 1 MiB: one error saying so.
  const big = await open("big.txt", "x DAT 1\n".repeat(140000));
  check(big.length === 1 && big[0].code === "program-too-large", "over 1 MiB: one error",
        JSON.stringify(big.slice(0, 2)));

  // Malformed messages: each answered, none ends the server.
  const raw = (bytes) => new Promise((resolve) => server.stdin.write(bytes, resolve));
  const frame = (body) => `Content-Length: ${Buffer.byteLength(body)}\r\n\r\n${body}`;
  await raw(frame("{not json"));
  await raw("Content-Length: many\r\n\r\n");
  await raw(frame("[1, 2]"));
  await raw(frame('{"jsonrpc": "2.0", "id": 99, "method": 7}'));
  await raw(`Content-Length: ${17 * 1024 * 1024}\r\n\r\n`);
  await raw(Buffer.alloc(17 * 1024 * 1024, 0x20));
  const unknown = await connection.sendRequest("korvane/unknown", {}).catch((e) => e);
  check(unknown.code === -32601, "an unknown method: MethodNotFound", JSON.stringify(unknown));
  const still = await connection.sendRequest("textDocument/hover", position(features.hover[0]));
  check(still?.contents?.value === features.hover[0].value, "the server answers after malformed messages");

  await connection.sendRequest("shutdown");
  await connection.sendNotification("exit");
  check((await exited) === 0, "exit after shutdown: status 0");
  connection.dispose();
}

// A hang fails here with a message before CTest's own limit; sanitizer builds
// on a busy machine need minutes.
const timer = setTimeout(() => { console.log("FAIL: timed out"); process.exit(1); }, 280000);
main()
  .catch((error) => check(false, "the check ran to its end", String(error?.stack ?? error)))
  .finally(() => {
    clearTimeout(timer);
    if (server.exitCode === null) server.kill();
    console.log(`${passed} passed, ${failed} failed`);
    process.exit(failed ? 1 : 0);
  });
