// The VS Code extension as packed by vsce, unpacked: its bundled client is
// activated against a stand-in for the editor, and the debug adapter it
// names for the korvane type is driven by @vscode/debugadapter-testsupport
// with the extension's own initial launch configuration, as VS Code would
// after "create a launch.json file": it stops on entry, at a breakpoint,
// steps, and puts the program's output in the debug console.
'use strict';

const { test } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const Module = require('node:module');
const os = require('node:os');
const path = require('node:path');
const { DebugClient } = require('@vscode/debugadapter-testsupport');

const extension = path.join(process.env.KORVANE_VSIX_UNPACKED, 'extension');
const manifest = JSON.parse(fs.readFileSync(path.join(extension, 'package.json'), 'utf8'));

// Any property of the stand-in is another stand-in that can be called or
// constructed: the bundled language client touches much of the API, and
// only the debug adapter factory matters here.
function standIn(overrides = {}) {
    const handler = {
        get(target, key) {
            if (key in overrides) return overrides[key];
            if (key === 'then' || typeof key === 'symbol') return undefined;
            return standIn();
        },
        apply: () => standIn(),
        construct: () => standIn(),
    };
    return new Proxy(function () {}, handler);
}

function debugAdapterOfExtension() {
    const factories = {};
    const vscode = standIn({
        version: manifest.engines.vscode.replace(/^\^/, ''),
        debug: standIn({
            registerDebugAdapterDescriptorFactory(type, factory) {
                factories[type] = factory;
                return { dispose() {} };
            },
        }),
        workspace: standIn({ getConfiguration: () => ({ get: () => undefined }) }),
        DebugAdapterExecutable: class {
            constructor(command, args) {
                Object.assign(this, { command, args });
            }
        },
    });
    const load = Module._load;
    Module._load = function (request, ...rest) {
        return request === 'vscode' ? vscode : load.call(this, request, ...rest);
    };
    try {
        require(path.join(extension, manifest.main)).activate({ subscriptions: [] });
    } finally {
        Module._load = load;
    }
    assert.ok(factories.korvane, 'the extension registers the korvane debug type');
    return factories.korvane.createDebugAdapterDescriptor({ type: 'korvane' });
}

test('the package holds what VS Code and the marketplace ask for', () => {
    assert.ok(manifest.activationEvents.includes('onDebugResolve:korvane'));
    assert.ok(!manifest.activationEvents.includes('onDebug'), 'not woken for every debug type');
    assert.ok(manifest.repository && manifest.repository.url);
    assert.ok(fs.readdirSync(extension).some(name => /^LICENSE/.test(name)), 'a licence is packed');
});

test('the debug type runs the program from the initial launch configuration', async () => {
    const adapter = debugAdapterOfExtension();
    assert.equal(adapter.command, 'korvane-dap');
    assert.deepEqual(adapter.args, ['--stdio']);

    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'korvane-vscode-'));
    const program = path.join(folder, 'adder.kasm');
    fs.writeFileSync(program, '\tINP\n\tSTA\tfirst\n\tINP\n\tADD\tfirst\n\tOUT\n\tHLT\nfirst\tDAT\n');
    const debuggerContribution = manifest.contributes.debuggers.find(d => d.type === 'korvane');
    const configuration = { ...debuggerContribution.initialConfigurations[0], input: [3, 4] };
    assert.equal(configuration.program, '${file}');
    configuration.program = program; // as VS Code substitutes the open file

    // Started as VS Code starts it: the command looked up on PATH.
    const environment = { ...process.env, PATH: `${process.env.KORVANE_DAP_DIR}:${process.env.PATH}` };
    const client = new DebugClient(adapter.command, adapter.args[0], 'korvane', { env: environment });
    client.defaultTimeout = 20000;
    const output = [];
    client.on('output', event => output.push(event.body.output));
    await client.start();
    try {
        const initialized = client.waitForEvent('initialized');
        await client.initializeRequest();
        await client.launchRequest(configuration);
        await initialized;
        await client.setBreakpointsRequest({ source: { path: program }, breakpoints: [{ line: 4 }] });
        const stoppedLine = async reason => {
            const stopped = await client.waitForEvent('stopped');
            assert.equal(stopped.body.reason, reason);
            const trace = await client.stackTraceRequest({ threadId: stopped.body.threadId });
            return [trace.body.stackFrames[0].line, stopped.body.threadId];
        };
        let stopped = stoppedLine('entry');
        await client.configurationDoneRequest();
        const [entryLine, threadId] = await stopped;
        assert.equal(entryLine, 1);
        stopped = stoppedLine('breakpoint');
        await client.continueRequest({ threadId });
        assert.equal((await stopped)[0], 4);
        stopped = stoppedLine('step');
        await client.nextRequest({ threadId });
        assert.equal((await stopped)[0], 5);
        const halted = client.waitForEvent('stopped');
        await client.continueRequest({ threadId });
        assert.equal((await halted).body.description, 'halted');
        assert.ok(output.join('').split('\n').includes('7'), `output: ${JSON.stringify(output)}`);
    } finally {
        await client.stop();
        fs.rmSync(folder, { recursive: true, force: true });
    }
});
