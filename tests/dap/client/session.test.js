// What a student does in the editor: launch, breakpoints, typing values in
// the console, output, errors, pausing an endless loop, restart, changing
// and evaluating values, terminate. Messages are compared with korvane-run's.
'use strict';

const { test } = require('node:test');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness');
const { assert } = h;

const sample = n => path.join(h.SAMPLES, `sample${n}.kasm`);
const program = name => path.join(h.PROGRAMS, name);

const { withClient } = h;

// korvane-run's messages about a run of a file: with its warnings, or only
// the messages about how the run ended.
// korvane-run's messages one line each, as the debug console shows them.
function korvaneRunMessages(file, options = []) {
    return spawnSync(h.RUN, options.concat(['--no-excerpts', file]),
                     { input: '', encoding: 'utf8' }).stderr;
}

test('an assembly error fails the launch with korvane-run\'s first error, all of them in the console', () =>
    withClient(async client => {
        const file = h.temporaryProgram('\tINP\n\n\tOUPT\n\tHLT\n');
        await client.initializeRequest();
        await assert.rejects(client.launchRequest({ program: file }),
                             { message: korvaneRunMessages(file).split('\n')[0] });
        assert.equal(h.outputText(client, 'stderr'), korvaneRunMessages(file));
    }));

test('a program that cannot be read fails the launch', () =>
    withClient(async client => {
        await client.initializeRequest();
        await assert.rejects(client.launchRequest({ program: '/nonexistent/p.kasm' }),
                             /^Error: Cannot read '\/nonexistent\/p\.kasm'/);
    }));

test('line breakpoints: on data, moved from a blank line, past the program', () =>
    withClient(async client => {
        const file = h.temporaryProgram('\tLDA\tx\n\n\tOUT\n\tHLT\nx\tDAT\t4\n\n');
        const placed = await h.launch(client, { program: file, stopOnEntry: true }, [5, 2, 6, 0]);
        assert.deepEqual(placed.map(b => [b.verified, b.line]),
                         [[true, 5], [true, 3], [false, 6], [false, 0]]);
        assert.equal(placed[2].message,
                     'Line 6 is past the program\'s last line with a word (line 5).');
        assert.equal(placed[3].message, 'There is no line 0.');
    }));

test('a breakpoint in a loop stops at each round, then the run halts', () =>
    withClient(async client => {
        // Count down from 3: the breakpoint on "loop OUT" (line 2).
        const stopped = client.assertStoppedLocation('breakpoint', { line: 2 });
        const placed = await h.launch(client, { program: sample(2), input: [3] }, [2]);
        await stopped;
        for (const expected of ['3', '2', '1']) {
            const registers = await h.variables(client, 1);
            assert.equal(registers.accumulator, expected);
            const next = h.nextEvent(client, ['stopped', 'terminated']);
            await client.continueRequest({ threadId: 1 });
            const { kind, event } = await next;
            assert.equal(kind, 'stopped');
            if (expected !== '1')
                assert.deepEqual(event.body.hitBreakpointIds, [placed[0].id]);
            else
                await h.endAfterHalt(client, Promise.resolve(event));
        }
        assert.equal(h.outputText(client, 'stdout'), '3\n2\n1\n');
    }));

test('typed values: the run waits at INP and takes what is typed in the console', () =>
    withClient(async client => {
        const waiting = client.waitForEvent('stopped');
        await h.launch(client, { program: sample(0) });
        let stop = await waiting;
        assert.equal(stop.body.reason, 'pause');
        assert.equal(stop.body.description,
                     'INP at line 1 waits for a value: type it in the debug console');
        let state = await h.readState(client);
        assert.equal(state.frame.line, 1);
        assert.equal(state.registers.steps, '0');

        // Not a number: evaluated, the console says how to type a value, and
        // the input still waits.
        await assert.rejects(client.evaluateRequest({ expression: 'seven', context: 'repl' }),
                             /There is no label, cell or register 'seven'/);
        assert.equal(h.outputText(client, 'stderr'), '');
        state = await h.readState(client);
        assert.equal(state.frame.line, 1);

        // The run goes on by itself and waits at the next INP.
        const continued = client.waitForEvent('continued');
        waiting.then(() => {});
        const next = client.waitForEvent('stopped');
        await client.evaluateRequest({ expression: '3', context: 'repl' });
        await continued;
        stop = await next;
        assert.equal(stop.body.description,
                     'INP at line 3 waits for a value: type it in the debug console');
        // Watch and hover still evaluate expressions meanwhile.
        const watched = await client.evaluateRequest({ expression: 'num1', context: 'watch' });
        assert.equal(watched.body.result, '3 (cell 06)');

        const halted = client.waitForEvent('stopped');
        await client.evaluateRequest({ expression: '4', context: 'repl' });
        await h.endAfterHalt(client, halted);
        assert.equal(h.outputText(client, 'stdout'), '7\n');
    }));

test('a value typed while the run goes on: a breakpoint on the next line still stops it', () =>
    withClient(async client => {
        const file = h.temporaryProgram('\tINP\n\tOUT\n\tHLT\n');
        const waiting = client.waitForEvent('stopped');
        const placed = await h.launch(client, { program: file }, [2]);
        assert.equal((await waiting).body.reason, 'pause');
        const stopped = client.waitForEvent('stopped');
        await client.evaluateRequest({ expression: '5', context: 'repl' });
        const stop = await stopped;
        assert.equal(stop.body.reason, 'breakpoint');
        assert.deepEqual(stop.body.hitBreakpointIds, [placed[0].id]);
        assert.equal((await h.readState(client)).frame.line, 2);
        assert.equal(h.outputText(client, 'stdout'), '');
    }));

test('typed values while stepping: the INP step ends once its value is in', () =>
    withClient(async client => {
        const entry = client.waitForEvent('stopped');
        await h.launch(client, { program: sample(5), stopOnEntry: true });
        await entry;
        let stop = client.waitForEvent('stopped');
        await client.nextRequest({ threadId: 1 });
        assert.equal((await stop).body.reason, 'pause');
        stop = client.waitForEvent('stopped');
        // Values separated by white space: the first is taken now.
        await client.evaluateRequest({ expression: '  4   9 ', context: 'repl' });
        assert.equal((await stop).body.reason, 'step');
        const registers = await h.variables(client, 1);
        assert.equal(registers.accumulator, '4');
        assert.equal(registers.steps, '1');
        assert.equal(registers['program counter'], '1');
    }));

test('each OUT value is an output event of its own', () =>
    withClient(async client => {
        const halted = client.waitForEvent('stopped');
        await h.launch(client, { program: sample(4) });
        await h.endAfterHalt(client, halted);
        const values = client.outputs.filter(o => o.category === 'stdout').map(o => o.output);
        assert.deepEqual(values, ['1', '3', '6', '10', '15', '21', '28', '36', '45'].map(v => v + '\n'));
    }));

test('input as a text of values, with one that is not a number', () =>
    withClient(async client => {
        const halted = client.waitForEvent('stopped');
        await h.launch(client, { program: sample(1), input: ' 3 x\t9 ' });
        assert.equal((await h.endAfterHalt(client, halted)).body.exitCode, 0);
        assert.equal(h.outputText(client, 'stdout'), '9\n');
        assert.equal(h.outputText(client, 'stderr'), 'Invalid input.\n');
    }));

test('a run error stops with korvane-run\'s message and notes; continuing ends the run', () =>
    withClient(async client => {
        const file = program('runsintodata.kasm');
        const stopped = client.assertStoppedLocation('exception', { line: 3 });
        await h.launch(client, { program: file });
        await stopped;
        const messages = korvaneRunMessages(file, ['-w']);
        const info = await client.exceptionInfoRequest({ threadId: 1 });
        assert.equal(info.body.description, messages.split('\n')[0]);
        assert.equal(info.body.details.message + '\n', messages);
        assert.equal(h.outputText(client, 'stderr'), korvaneRunMessages(file));
        const exited = client.waitForEvent('exited');
        await client.continueRequest({ threadId: 1 });
        assert.equal((await exited).body.exitCode, 2);
    }));

test('the step limit stops the run; continuing gives it as many steps again', () =>
    withClient(async client => {
        const file = program('endless.kasm');
        let stopped = client.waitForEvent('stopped');
        await h.launch(client, { program: file, maxSteps: 1000 });
        let stop = await stopped;
        assert.equal(stop.body.reason, 'exception');
        const expected = spawnSync(h.RUN, ['-w', '--no-excerpts', '--max-steps', '1000', file],
                                   { encoding: 'utf8' });
        assert.equal(stop.body.description, expected.stderr.split('\n')[0]);
        stopped = client.waitForEvent('stopped');
        await client.continueRequest({ threadId: 1 });
        stop = await stopped;
        assert.equal(stop.body.reason, 'exception');
        assert.equal((await h.variables(client, 1)).steps, '2000');
    }));

test('pause stops an endless loop, and continue goes on with it', () =>
    withClient(async client => {
        await h.launch(client, { program: program('endless.kasm'), maxSteps: 0 });
        for (let round = 0; round < 2; ++round) {
            await new Promise(resolve => setTimeout(resolve, 150));
            const stopped = client.waitForEvent('stopped', 2000);
            await client.pauseRequest({ threadId: 1 });
            assert.equal((await stopped).body.reason, 'pause');
            const registers = await h.variables(client, 1);
            assert.ok(+registers.steps > 0);
            // The accumulator counts the rounds of two steps, ADD first.
            assert.equal(+registers.accumulator, Math.ceil(+registers.steps / 2));
            await client.continueRequest({ threadId: 1 });
        }
    }));

test('restart reads the program again; one that no longer assembles is refused', () =>
    withClient(async client => {
        const file = h.temporaryProgram('\tLDA\tx\n\tOUT\n\tHLT\nx\tDAT\t4\n');
        let stopped = client.waitForEvent('stopped');
        await h.launch(client, { program: file, stopOnEntry: true });
        await stopped;
        stopped = client.waitForEvent('stopped');
        await client.nextRequest({ threadId: 1 });
        await stopped;

        fs.writeFileSync(file, '\tLDA\tx\n\tOUT\n\tHLT\nx\tDAT\t5\n');
        stopped = client.waitForEvent('stopped');
        await client.restartRequest({});
        assert.equal((await stopped).body.reason, 'entry');
        let registers = await h.variables(client, 1);
        assert.equal(registers.steps, '0');
        assert.equal((await client.evaluateRequest({ expression: 'x' })).body.result, '5 (cell 03)');

        fs.writeFileSync(file, '\tLDA\ty\n');
        await assert.rejects(client.restartRequest({}), /Error: undefined symbol|y/i);
        registers = await h.variables(client, 1);
        assert.equal(registers.steps, '0'); // the run it had is kept
    }));

test('setVariable changes the accumulator, the flags and a cell; bad values are refused', () =>
    withClient(async client => {
        const stopped = client.waitForEvent('stopped');
        await h.launch(client, { program: sample(0), input: [3, 4], stopOnEntry: true });
        await stopped;
        const set = (reference, name, value) =>
            client.setVariableRequest({ variablesReference: reference, name, value });
        assert.equal((await set(1, 'accumulator', ' -12 ')).body.value, '-12');
        assert.equal((await set(1, 'flags', '1')).body.value, '1');
        await assert.rejects(set(1, 'flags', '2'), { message: 'The flags are 0 or 1.' });
        await assert.rejects(set(1, 'accumulator', '2147483648'),
                             { message: '\'2147483648\' is not a whole number from -2147483648 to 2147483647.' });
        await assert.rejects(set(1, 'program counter', '3'),
                             { message: 'Only the accumulator and the flags can be changed.' });
        // A cell keeps the word as written: 0606 is the instruction LDA 06.
        assert.equal((await set(3, '06 num1', '0606')).body.value, '0606');
        assert.equal((await set(3, '00', '0606')).body.value, '0606');
        await assert.rejects(set(3, '05', 'HLT'), /is not a whole number/);
        const registers = await h.variables(client, 1);
        assert.equal(registers.accumulator, '-12');
        assert.equal(registers.flags, '1');

        const step = client.waitForEvent('stopped');
        await client.nextRequest({ threadId: 1 });
        await step;
        // Cell 00 now loads cell 06, which holds 0606 as a number: 606.
        assert.equal((await h.variables(client, 1)).accumulator, '606');
    }));

test('evaluate reads labels, cells and registers, upper and lower case alike', () =>
    withClient(async client => {
        const stopped = client.waitForEvent('stopped');
        await h.launch(client, { program: sample(1), stopOnEntry: true });
        await stopped;
        const evaluate = (expression, context = 'watch') =>
            client.evaluateRequest({ expression, context }).then(r => r.body.result);
        assert.equal(await evaluate('[01]'), '0512');
        assert.equal(await evaluate('[ 1 ]', 'hover'), '0512');
        assert.equal(await evaluate('NUM1'), '0 (cell 12)');
        assert.equal(await evaluate('pos', 'hover'), 'cell 09');
        assert.equal(await evaluate('acc', 'repl'), '0');
        assert.equal(await evaluate('Program Counter'), '0');
        await assert.rejects(evaluate('[100]'), { message: 'There is no label, cell or register \'[100]\'.' });
        await assert.rejects(evaluate('LDA', 'hover'));
    }));

test('noDebug runs to the end past breakpoints', () =>
    withClient(async client => {
        const exited = client.waitForEvent('exited');
        await h.launch(client, { program: sample(2), input: '2', noDebug: true, stopOnEntry: true }, [2]);
        assert.equal((await exited).body.exitCode, 0);
        assert.equal(h.outputText(client, 'stdout'), '2\n1\n');
    }));

test('noDebug ends the session at a run error with korvane-run\'s exit status', () =>
    withClient(async client => {
        const file = program('runsintodata.kasm');
        const exited = client.waitForEvent('exited');
        await h.launch(client, { program: file, noDebug: true });
        assert.equal((await exited).body.exitCode, 2);
        assert.equal(h.outputText(client, 'stderr'), korvaneRunMessages(file));
        assert.equal(h.outputText(client, 'stdout'), '5\n');
    }));

test('terminate ends the run; disconnect ends the adapter', async () => {
    const client = await h.startClient();
    try {
        const stopped = client.waitForEvent('stopped');
        await h.launch(client, { program: sample(3), stopOnEntry: true });
        await stopped;
        const terminated = client.waitForEvent('terminated');
        await client.terminateRequest({});
        await terminated;
        await assert.rejects(client.nextRequest({ threadId: 1 }), { message: 'The program has ended.' });
        const process = client._adapterProcess;
        const exit = new Promise(resolve => process.on('exit', code => resolve(code)));
        await client.disconnectRequest({});
        assert.equal(await exit, 0);
    } catch (error) {
        await client.stop();
        throw error;
    }
});

test('the VS Code extension\'s first configuration launches and stops on entry', () =>
    withClient(async client => {
        const extension = JSON.parse(fs.readFileSync(process.env.KORVANE_EXTENSION, 'utf8'));
        const debuggerEntry = extension.contributes.debuggers.find(d => d.type === 'korvane');
        assert.equal(extension.contributes.configuration.properties['korvane.adapterPath'].default,
                     'korvane-dap');
        const config = { ...debuggerEntry.initialConfigurations[0], program: sample(0) };
        for (const name of Object.keys(config).filter(n => !['type', 'request', 'name'].includes(n)))
            assert.ok(name in debuggerEntry.configurationAttributes.launch.properties, name);
        const stopped = client.waitForEvent('stopped');
        await h.launch(client, config);
        assert.equal((await stopped).body.reason, 'entry');
    }));

test('at an INP the console takes a number as the value and evaluates anything else; stops are told there', () =>
    withClient(async client => {
        const file = h.temporaryProgram('\tINP\n\tSTA\t1st\n\tOUT\n\tHLT\n1st\tDAT\t8\n');
        const waiting = client.waitForEvent('stopped');
        await h.launch(client, { program: file });
        await waiting;
        const console = () => client.outputs.filter(o => o.category === 'console').map(o => o.output);
        const hint = 'The input waits for a value: type a number, such as 42, to give it. ' +
                     'Anything else is evaluated.\n';
        assert.deepEqual(console(), ['INP at line 1 waits for a value: type it in the debug console\n']);
        const rows = [['acc', '0'], ['[04]', '8'], ['steps', '0']];
        for (const [expression, result] of rows) {
            const answer = await client.evaluateRequest({ expression, context: 'repl' });
            assert.equal(answer.body.result, result);
        }
        // A label that starts like a number is a value here; the watch shows it.
        const watched = await client.evaluateRequest({ expression: '1st', context: 'watch' });
        assert.equal(watched.body.result, '8 (cell 04)');
        assert.deepEqual(console().slice(1), [hint, hint, hint]);
        const halted = client.waitForEvent('stopped');
        await client.evaluateRequest({ expression: '-3.5 apples', context: 'repl' });
        await h.endAfterHalt(client, halted);
        assert.equal(h.outputText(client, 'stdout'), '-3\n');
        assert.deepEqual(console().slice(4), ['halted\n']);
    }));
