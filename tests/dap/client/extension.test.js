// The VS Code extension's code, with a stand-in for the vscode module: it
// registers a factory for the korvane debug type that starts korvane-dap
// --stdio, or the command the korvane.adapterPath setting names.
'use strict';

const { test } = require('node:test');
const assert = require('node:assert/strict');
const Module = require('node:module');
const path = require('node:path');

const extensionFile = path.join(path.dirname(process.env.KORVANE_EXTENSION), 'extension.js');

function loadWith(setting) {
    const registered = {};
    const vscode = {
        debug: {
            registerDebugAdapterDescriptorFactory(type, factory) {
                registered[type] = factory;
                return { dispose() {} };
            },
        },
        workspace: { getConfiguration: section => ({ get: key => (section === 'korvane' && key === 'adapterPath' ? setting : undefined) }) },
        DebugAdapterExecutable: class {
            constructor(command, args) {
                this.command = command;
                this.args = args;
            }
        },
    };
    const load = Module._load;
    Module._load = function (request, ...rest) {
        return request === 'vscode' ? vscode : load.call(this, request, ...rest);
    };
    try {
        delete require.cache[extensionFile];
        const extension = require(extensionFile);
        const context = { subscriptions: [] };
        extension.activate(context);
        assert.equal(context.subscriptions.length, 1);
        return registered.korvane.createDebugAdapterDescriptor({ type: 'korvane' });
    } finally {
        Module._load = load;
    }
}

test('the extension starts korvane-dap --stdio from PATH', () => {
    const executable = loadWith(undefined);
    assert.equal(executable.command, 'korvane-dap');
    assert.deepEqual(executable.args, ['--stdio']);
});

test('the korvane.adapterPath setting names another command', () => {
    assert.equal(loadWith('/opt/korvane/bin/korvane-dap').command, '/opt/korvane/bin/korvane-dap');
});
