// What a client may send that is wrong: malformed JSON and headers, unknown
// commands, requests out of order, bad arguments, messages over 16 MiB, and a
// client that goes away. The adapter answers or says why in the console, and
// goes on with the next request.
'use strict';

const { test } = require('node:test');
const path = require('node:path');
const h = require('./harness');
const { assert } = h;

const { withClient } = h;

// Bytes as they are, past the client's own framing.
function writeRaw(client, bytes) {
    client._adapterProcess.stdin.write(bytes);
}

function frame(text) {
    return `Content-Length: ${Buffer.byteLength(text)}\r\n\r\n${text}`;
}

// The adapter still answers a well-formed request.
async function stillAnswers(client) {
    const response = await client.threadsRequest();
    assert.deepEqual(response.body.threads, [{ id: 1, name: 'main' }]);
}

function consoleSays(client, pattern) {
    return new Promise(resolve => {
        const listener = event => {
            if (pattern.test(event.body.output)) {
                client.removeListener('output', listener);
                resolve(event.body);
            }
        };
        client.on('output', listener);
    });
}

test('requests before initialize and unknown commands are answered with an error', () =>
    withClient(async client => {
        await assert.rejects(client.threadsRequest(),
                             { message: 'The session is not initialized: send \'initialize\' first.' });
        await client.initializeRequest();
        await assert.rejects(client.initializeRequest(), { message: 'The session is already initialized.' });
        await assert.rejects(client.customRequest('fly'), { message: 'Unknown command \'fly\'.' });
        await assert.rejects(client.stackTraceRequest({ threadId: 1 }),
                             { message: 'No program is running yet: launch one first.' });
        await assert.rejects(client.nextRequest({ threadId: 1 }),
                             { message: 'No program is running yet: launch one first.' });
        await stillAnswers(client);
    }));

test('launch arguments of the wrong kind are refused', () =>
    withClient(async client => {
        await client.initializeRequest();
        const sample = path.join(h.SAMPLES, 'sample0.kasm');
        await assert.rejects(client.launchRequest({}),
                             { message: 'The launch configuration needs \'program\': the file to debug.' });
        await assert.rejects(client.launchRequest({ program: sample, maxSteps: -1 }),
                             { message: '\'maxSteps\' must be a whole number, 0 or more (0: no limit).' });
        await assert.rejects(client.launchRequest({ program: sample, maxSteps: 2.5 }), /maxSteps/);
        await assert.rejects(client.launchRequest({ program: sample, input: { a: 1 } }), /'input' must be/);
        await assert.rejects(client.launchRequest({ program: sample, input: [[1]] }),
                             { message: 'Each value of \'input\' must be a number or a text.' });
        await assert.rejects(client.launchRequest({ program: sample, stopOnEntry: 'yes' }),
                             { message: '\'stopOnEntry\' must be true or false.' });
        // A good launch still works after all that.
        await client.launchRequest({ program: sample, input: [3, 4] });
        await assert.rejects(client.launchRequest({ program: sample }),
                             { message: 'A program is already launched.' });
    }));

test('malformed JSON, headers and messages that are no requests are ignored with a reason', () =>
    withClient(async client => {
        await client.initializeRequest();
        let said = consoleSays(client, /not JSON/);
        writeRaw(client, frame('{"seq": 1, "type": "request", "command": '));
        assert.equal((await said).category, 'stderr');
        said = consoleSays(client, /not a JSON object/);
        writeRaw(client, frame('[1, 2, 3]'));
        await said;
        said = consoleSays(client, /not a request/);
        writeRaw(client, frame('{"seq": 9, "type": "event", "event": "stopped"}'));
        await said;
        said = consoleSays(client, /a request without a seq number was ignored/);
        writeRaw(client, frame('{"type": "request", "command": "threads"}'));
        await said;
        said = consoleSays(client, /without Content-Length/);
        writeRaw(client, 'Content-Type: application/json\r\n\r\n');
        await said;
        said = consoleSays(client, /Content-Length is not a number/);
        writeRaw(client, 'Content-Length: 12abc\r\n\r\n');
        await said;
        await stillAnswers(client);
        // Arguments that are not an object.
        writeRaw(client, frame('{"seq": 1000, "type": "request", "command": "threads", "arguments": 5}'));
        await stillAnswers(client);
    }));

test('a message over 16 MiB is refused and skipped, in pieces or whole', () =>
    withClient(async client => {
        await client.initializeRequest();
        const said = consoleSays(client, /refused/);
        const size = 17 * 1024 * 1024;
        writeRaw(client, `Content-Length: ${size}\r\n\r\n`);
        const piece = Buffer.alloc(64 * 1024, 'x');
        for (let sent = 0; sent < size; sent += piece.length)
            writeRaw(client, piece);
        assert.equal((await said).output,
                     `korvane-dap: refused a message of ${size} bytes, over the limit of 16 MiB\n`);
        await stillAnswers(client);
    }));

test('requests out of order while the program runs or has ended', () =>
    withClient(async client => {
        await h.launch(client, { program: path.join(h.PROGRAMS, 'endless.kasm'), maxSteps: 0 });
        await assert.rejects(client.nextRequest({ threadId: 1 }),
                             { message: 'The program is running: pause it first.' });
        await assert.rejects(client.variablesRequest({ variablesReference: 1 }),
                             { message: 'The program is running: pause it first.' });
        await assert.rejects(client.configurationDoneRequest(),
                             { message: 'The configuration is already done.' });
        const stopped = client.waitForEvent('stopped');
        await client.pauseRequest({ threadId: 1 });
        await stopped;
        await client.pauseRequest({ threadId: 1 }); // already stopped: nothing happens
        await assert.rejects(client.variablesRequest({ variablesReference: 99 }),
                             { message: 'There are no such variables.' });
        await assert.rejects(client.exceptionInfoRequest({ threadId: 1 }),
                             { message: 'The program did not stop at an error.' });
        await assert.rejects(client.setVariableRequest({ variablesReference: 3, name: 'x', value: '1' }),
                             { message: 'There is no variable \'x\' here.' });
    }));

test('breakpoints in another file are not verified', () =>
    withClient(async client => {
        await client.initializeRequest();
        await client.launchRequest({ program: path.join(h.SAMPLES, 'sample0.kasm'), stopOnEntry: true });
        const response = await client.setBreakpointsRequest({
            source: { path: path.join(h.SAMPLES, 'sample1.kasm') }, breakpoints: [{ line: 1 }] });
        assert.equal(response.body.breakpoints[0].verified, false);
        assert.match(response.body.breakpoints[0].message, /^Not the program being debugged/);
    }));

test('a client that goes away ends the adapter, even while the program runs', async () => {
    const client = await h.startClient();
    await h.launch(client, { program: path.join(h.PROGRAMS, 'endless.kasm'), maxSteps: 0 });
    const process = client._adapterProcess;
    const exit = new Promise(resolve => process.on('exit', code => resolve(code)));
    process.stdin.end();
    assert.equal(await exit, 0);
});

test('breakpoints asked for before the launch are placed by it, under the same ids', () =>
    withClient(async client => {
        await client.initializeRequest();
        const program = path.join(h.SAMPLES, 'sample2.kasm');
        const early = await client.setBreakpointsRequest({
            source: { path: program }, breakpoints: [{ line: 2 }, { line: 40 }] });
        const other = await client.setBreakpointsRequest({
            source: { path: path.join(h.SAMPLES, 'sample1.kasm') }, breakpoints: [{ line: 1 }] });
        assert.deepEqual(early.body.breakpoints.map(b => [b.verified, b.message]),
                         [[false, 'The program is not launched yet.'],
                          [false, 'The program is not launched yet.']]);
        const changed = [];
        client.on('breakpoint', event => changed.push(event.body.breakpoint));
        const stopped = client.waitForEvent('stopped');
        await client.launchRequest({ program, input: [3] });
        await client.configurationDoneRequest();
        const stop = await stopped;
        const ids = early.body.breakpoints.map(b => b.id).concat(other.body.breakpoints.map(b => b.id));
        assert.deepEqual(changed.map(b => b.id).sort((a, b) => a - b), [...ids].sort((a, b) => a - b));
        const byId = Object.fromEntries(changed.map(b => [b.id, b]));
        assert.equal(byId[ids[0]].verified, true);
        assert.equal(byId[ids[0]].line, 2);
        assert.equal(byId[ids[1]].verified, false);
        assert.match(byId[ids[2]].message, /^Not the program being debugged/);
        assert.deepEqual(stop.body.hitBreakpointIds, [early.body.breakpoints[0].id]);
    }));
