// Starts korvane-lsp for `.kasm` documents and korvane-dap for the `korvane`
// debug type. Both commands are looked up on PATH (a debugger's "program" in
// package.json would be taken as a file of this folder); the settings
// korvane.serverPath and korvane.adapterPath name others.
'use strict';

const vscode = require('vscode');
const { LanguageClient, TransportKind } = require('vscode-languageclient/node');

let client;

function setting(name, fallback) {
    return vscode.workspace.getConfiguration('korvane').get(name) || fallback;
}

function activate(context) {
    context.subscriptions.push(vscode.debug.registerDebugAdapterDescriptorFactory('korvane', {
        createDebugAdapterDescriptor() {
            return new vscode.DebugAdapterExecutable(setting('adapterPath', 'korvane-dap'), ['--stdio']);
        },
    }));

    const server = { command: setting('serverPath', 'korvane-lsp'), transport: TransportKind.stdio };
    client = new LanguageClient('korvane', 'Korvane', server, {
        documentSelector: [{ language: 'korvane' }],
    });
    client.start().catch((error) => {
        vscode.window.showErrorMessage(
            `Korvane: korvane-lsp could not be started (${error.message}); ` +
            'install Korvane or set korvane.serverPath.');
    });
}

function deactivate() {
    return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
