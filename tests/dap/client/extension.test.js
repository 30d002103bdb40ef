// The VS Code extension's code, with stand-ins for the vscode module and the
// language client: it registers a factory for the korvane debug type that
// starts korvane-dap --stdio, or the command the korvane.adapterPath setting
// names, and starts korvane-lsp (or korvane.serverPath's) for korvane documents.
'use strict';

const { test } = require('node:test');
const assert = require('node:assert/strict');
const Module = require('node:module');
const path = require('node:path');

const extensionFile = path.join(path.dirname(process.env.KORVANE_EXTENSION), 'extension.js');

// The extension activated with these korvane.* settings: the debug adapter
// it would start, and the language client it started.
function activateWith(settings) {
    const registered = {};
    const clients = [];
    const vscode = {
        debug: {
            registerDebugAdapterDescriptorFactory(type, factory) {
                registered[type] = factory;
                return { dispose() {} };
            },
        },
        workspace: { getConfiguration: section => ({ get: key => (section === 'korvane' ? settings[key] : undefined) }) },
        DebugAdapterExecutable: class {
            constructor(command, args) {
                this.command = command;
                this.args = args;
            }
        },
    };
    const languageClient = {
        TransportKind: { stdio: 0 },
        LanguageClient: class {
            constructor(id, name, server, options) {
                Object.assign(this, { id, server, options, started: false });
                clients.push(this);
            }
            start() {
                this.started = true;
                return Promise.resolve();
            }
        },
    };
    const load = Module._load;
    Module._load = function (request, ...rest) {
        if (request === 'vscode') return vscode;
        if (request === 'vscode-languageclient/node') return languageClient;
        return load.call(this, request, ...rest);
    };
    try {
        delete require.cache[extensionFile];
        const extension = require(extensionFile);
        const context = { subscriptions: [] };
        extension.activate(context);
        assert.equal(context.subscriptions.length, 1);
        return { adapter: registered.korvane.createDebugAdapterDescriptor({ type: 'korvane' }), clients };
    } finally {
        Module._load = load;
    }
}

test('the extension starts korvane-dap --stdio from PATH', () => {
    const executable = activateWith({}).adapter;
    assert.equal(executable.command, 'korvane-dap');
    assert.deepEqual(executable.args, ['--stdio']);
});

test('the korvane.adapterPath setting names another command', () => {
    assert.equal(activateWith({ adapterPath: '/opt/korvane/bin/korvane-dap' }).adapter.command,
                 '/opt/korvane/bin/korvane-dap');
});

test('the extension starts korvane-lsp from PATH for korvane documents', () => {
    const [client, ...others] = activateWith({}).clients;
    assert.equal(others.length, 0);
    assert.equal(client.server.command, 'korvane-lsp');
    assert.deepEqual(client.options.documentSelector, [{ language: 'korvane' }]);
    assert.ok(client.started);
});

test('the korvane.serverPath setting names another command', () => {
    const { clients } = activateWith({ serverPath: '/opt/korvane/bin/korvane-lsp' });
    assert.equal(clients[0].server.command, '/opt/korvane/bin/korvane-lsp');
});
