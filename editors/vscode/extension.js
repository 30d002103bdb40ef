// Starts korvane-dap for the `korvane` debug type. The command is looked up
// on PATH (a debugger's "program" in package.json would be taken as a file
// of this folder); the setting korvane.adapterPath names another one.
'use strict';

const vscode = require('vscode');

function activate(context) {
    context.subscriptions.push(vscode.debug.registerDebugAdapterDescriptorFactory('korvane', {
        createDebugAdapterDescriptor() {
            const command = vscode.workspace.getConfiguration('korvane').get('adapterPath') || 'korvane-dap';
            return new vscode.DebugAdapterExecutable(command, ['--stdio']);
        },
    }));
}

function deactivate() {}

module.exports = { activate, deactivate };
