// Shared by the client tests: starts korvane-dap under DebugClient, reads
// the machine's state through the protocol, and runs korvane-run --trace on
// the same program for the states a run must visit.
'use strict';

const assert = require('node:assert/strict');
const { execFileSync, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const DAP = process.env.KORVANE_DAP;
const RUN = process.env.KORVANE_RUN;
const SAMPLES = process.env.KORVANE_SAMPLES;
const CASES = process.env.KORVANE_CASES;
const PROGRAMS = process.env.KORVANE_DAP_PROGRAMS;

async function startClient() {
    const client = new DebugClient(DAP, '--stdio', 'korvane');
    client.defaultTimeout = 20000;
    client.outputs = [];
    client.on('output', event => client.outputs.push(event.body));
    await client.start();
    return client;
}

// Runs a test body with a started client, stopped afterwards whatever happens.
async function withClient(body) {
    const client = await startClient();
    try {
        await body(client);
    } finally {
        await client.stop();
    }
}

// The text of every output event of a category so far.
function outputText(client, category) {
    return client.outputs.filter(o => o.category === category).map(o => o.output).join('');
}

// initialize, launch, breakpoints, configurationDone: the order VS Code uses.
async function launch(client, config, breakpointLines = []) {
    const initialized = client.waitForEvent('initialized');
    await client.initializeRequest();
    await client.launchRequest(config);
    await initialized;
    let placed = [];
    if (breakpointLines.length > 0) {
        const response = await client.setBreakpointsRequest({
            source: { path: config.program },
            breakpoints: breakpointLines.map(line => ({ line })),
        });
        placed = response.body.breakpoints;
    }
    await client.configurationDoneRequest();
    return placed;
}

async function variables(client, reference) {
    const response = await client.variablesRequest({ variablesReference: reference });
    return Object.fromEntries(response.body.variables.map(v => [v.name, v.value]));
}

// The variables in the order the adapter lists them.
async function variableList(client, reference) {
    const response = await client.variablesRequest({ variablesReference: reference });
    return response.body.variables;
}

// Everything the editor can show at a stop.
async function readState(client) {
    const trace = await client.stackTraceRequest({ threadId: 1 });
    const scopes = await client.scopesRequest({ frameId: trace.body.stackFrames[0].id });
    const byName = Object.fromEntries(scopes.body.scopes.map(s => [s.name, s.variablesReference]));
    return {
        frame: trace.body.stackFrames[0],
        registers: await variables(client, byName.Registers),
        labels: await variables(client, byName.Labels),
        memory: await variableList(client, byName.Memory),
    };
}

// The first event of any of these kinds.
function nextEvent(client, kinds, timeout = 20000) {
    return new Promise((resolve, reject) => {
        const listeners = [];
        const timer = setTimeout(
            () => reject(new Error(`none of ${kinds} within ${timeout} ms`)), timeout);
        const done = (kind, event) => {
            clearTimeout(timer);
            for (const [k, listener] of listeners)
                client.removeListener(k, listener);
            resolve({ kind, event });
        };
        for (const kind of kinds) {
            const listener = event => done(kind, event);
            listeners.push([kind, listener]);
            client.on(kind, listener);
        }
    });
}

// korvane-run on a program: its image, the steps of its JSON trace and its messages.
function korvaneRun(program, input, maxSteps) {
    const image = execFileSync(RUN, ['-w', '--assemble', program], { encoding: 'utf8' })
        .split('\n').filter(line => line !== '');
    const run = spawnSync(RUN, ['-w', '--no-excerpts', '--trace', '--trace-format', 'json', '--max-steps',
        String(maxSteps), program], { input: input.join('\n') + '\n', encoding: 'utf8' });
    const steps = [];
    const messages = [];
    for (const text of run.stderr.split('\n')) {
        if (text.startsWith('{')) {
            const step = JSON.parse(text);
            steps.push({ number: step.step, address: step.address, word: step.word,
                         opcode: step.opcode, accumulator: step.accumulator, flags: step.flags,
                         store: step.effect === 'store' ? { cell: step.cell, value: step.value }
                                                        : null });
        } else if (text !== '') {
            messages.push(text);
        }
    }
    return { image, steps, messages, output: run.stdout, status: run.status };
}

// The 100 cells after each step of a trace, from the image and the stores.
function memoryAfterSteps(image, steps) {
    const cells = Array.from({ length: 100 }, (_, a) => image[a] ?? '00');
    const states = [cells.slice()];
    for (const step of steps) {
        if (step.store)
            cells[step.store.cell] = String(step.store.value);
        states.push(cells.slice());
    }
    return states;
}

// The values of sample N's cases, one list per case.
function sampleInputs(sample) {
    return fs.readFileSync(path.join(CASES, `sample${sample}.cases`), 'utf8').split('\n')
        .map(line => line.replace(/#.*/, ''))
        .filter(line => line.includes('=>'))
        .map(line => line.split('=>')[0].trim().split(/\s+/).filter(v => v !== ''));
}

// A run stops once after its halt (description "halted"), so that it can be
// gone through backwards; continuing from there ends it. Takes the promise of
// that stop; returns the exited event.
async function endAfterHalt(client, halted) {
    const stop = await halted;
    assert.equal(stop.body.reason, 'step');
    assert.equal(stop.body.description, 'halted');
    const exited = client.waitForEvent('exited');
    const terminated = client.waitForEvent('terminated');
    await client.continueRequest({ threadId: 1 });
    await terminated;
    return exited;
}

function temporaryProgram(text, name = 'program.kasm') {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'korvane-dap-'));
    const file = path.join(folder, name);
    fs.writeFileSync(file, text);
    return file;
}

module.exports = {
    assert, DAP, RUN, SAMPLES, PROGRAMS, startClient, withClient, outputText, launch, variables, readState,
    nextEvent, korvaneRun, memoryAfterSteps, sampleInputs, temporaryProgram, endAfterHalt,
};
