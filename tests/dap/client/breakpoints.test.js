// Every kind of breakpoint, where it must stop and where it must not,
// forwards and in reverseContinue; exception filters; goto and disassembly.
'use strict';

const { test } = require('node:test');
const h = require('./harness');
const { assert, withClient } = h;

// Five rounds counting 4 down to 0. Before steps 3, 8, 13, 18 and 23 the next
// instruction is the OUT (line 4, cell 03), with 4, 3, 2, 1, 0 in the accumulator.
const kCountDown = 'loop\tLDA\tcount\n\tSUB\tone\n\tSTA\tcount\n\tOUT\n\tBRP\tloop\n\tHLT\n' +
    'count\tDAT\t5\none\tDAT\t1\n';

// Starts the run (configurationDone) and continues from each stop until the
// halt: [steps, accumulator, reason] of every stop, the halt's last.
async function stops(client) {
    const seen = [];
    let next = h.nextEvent(client, ['stopped', 'terminated']);
    await client.configurationDoneRequest();
    for (;;) {
        const { kind, event } = await next;
        assert.equal(kind, 'stopped');
        const registers = await h.variables(client, 1);
        seen.push([+registers.steps, +registers.accumulator, event.body.reason]);
        if (event.body.description === 'halted')
            return seen;
        next = h.nextEvent(client, ['stopped', 'terminated']);
        await client.continueRequest({ threadId: 1 });
    }
}

// Launched with these line breakpoints (objects of setBreakpoints), stopped nowhere yet.
async function launchWith(client, breakpoints, config = {}) {
    const file = h.temporaryProgram(kCountDown);
    const initialized = client.waitForEvent('initialized');
    await client.initializeRequest();
    await client.launchRequest({ program: file, ...config });
    await initialized;
    const placed = await client.setBreakpointsRequest({ source: { path: file }, breakpoints });
    return { file, placed: placed.body.breakpoints };
}

const conditions = [
    ['a cell by its label', 'count < 2', [[18, 1], [23, 0]]],
    ['the accumulator, or', 'acc == 3 or accumulator == 1', [[8, 3], [18, 1]]],
    ['and', 'acc > 0 and [06] <= 2', [[13, 2], [18, 1]]],
    ['left to right, no precedence', 'acc == 4 or acc == 0 and flags == 0', [[3, 4], [23, 0]]],
    ['the program counter', 'pc == 3', [[3, 4], [8, 3], [13, 2], [18, 1], [23, 0]]],
    ['never holds', 'acc > 100', []],
];
for (const [name, condition, expected] of conditions) {
    test(`condition: ${name}`, () => withClient(async client => {
        const { placed } = await launchWith(client, [{ line: 4, condition }]);
        assert.equal(placed[0].verified, true);
        const seen = await stops(client);
        assert.deepEqual(seen.slice(0, -1), expected.map(([steps, acc]) => [steps, acc, 'breakpoint']));
    }));
}

test('conditions and hit counts that do not read leave the breakpoint unverified', () =>
    withClient(async client => {
        const { placed } = await launchWith(client, [
            { line: 1, condition: 'acc >> 3' },
            { line: 2, condition: 'total > 3' },
            { line: 3, condition: 'acc > 3 and' },
            { line: 4, hitCondition: '% 0' },
            { line: 5, hitCondition: 'often' },
            { line: 6, logMessage: 'at {nowhere}' },
            { line: 4, condition: '[07] == 1', hitCondition: '>= 2' },
        ]);
        assert.deepEqual(placed.map(b => b.verified), [false, false, false, false, false, false, true]);
        assert.equal(placed[0].message, "The condition 'acc >> 3' does not read at 'acc >> 3': " +
                     "write comparisons like 'acc > 10' joined by 'and' or 'or'.");
        assert.equal(placed[1].message, "'total' is not acc, flags, pc, a label or a cell like [07].");
        assert.equal(placed[3].message, "The hit count '% 0' does not read: write N (the Nth hit), " +
                     "'>= N' or '% N' (every Nth), N a whole number from 1.");
        assert.equal(placed[5].message, "The log message cannot fill in {nowhere}: 'nowhere' is " +
                     'not acc, flags, pc, a label or a cell like [07].');
    }));

const hitCounts = [
    ['the Nth hit', '2', [8]],
    ['from the Nth hit on', '>= 4', [18, 23]],
    ['every Nth hit', '% 2', [8, 18]],
    ['past the last hit', '9', []],
];
for (const [name, hitCondition, expected] of hitCounts) {
    test(`hit count: ${name}`, () => withClient(async client => {
        await launchWith(client, [{ line: 4, hitCondition }]);
        const seen = await stops(client);
        assert.deepEqual(seen.slice(0, -1).map(s => s[0]), expected);
    }));
}

test('logpoints write to the debug console without stopping', () =>
    withClient(async client => {
        await launchWith(client, [{ line: 4, logMessage: 'count {count}, acc {acc}, pc {pc}, [07] {[07]}' },
                                  { line: 6, logMessage: 'done', condition: 'flags == 0' }]);
        assert.deepEqual(await stops(client), [[26, 0, 'step']]);
        const logs = client.outputs.filter(o => o.category === 'console').map(o => o.output);
        assert.deepEqual(logs, [4, 3, 2, 1, 0].map(n => `count ${n}, acc ${n}, pc 3, [07] 1\n`)
            .concat(['done\n', 'halted\n']));
    }));

test('function breakpoints stop where the program counter reaches the label', () =>
    withClient(async client => {
        const { file } = await launchWith(client, []);
        const set = await client.customRequest('setFunctionBreakpoints',
            { breakpoints: [{ name: 'LOOP', hitCondition: '>= 5' }, { name: 'nowhere' }] });
        assert.deepEqual(set.body.breakpoints.map(b => [b.verified, b.line]), [[true, 1], [false, undefined]]);
        assert.equal(set.body.breakpoints[1].message, "There is no label 'nowhere'.");
        const seen = await stops(client);
        assert.deepEqual(seen, [[20, 1, 'breakpoint'], [26, 0, 'step']]);
        assert.ok(file);
    }));

test('instruction breakpoints stop at an address', () =>
    withClient(async client => {
        await launchWith(client, []);
        const set = await client.customRequest('setInstructionBreakpoints', {
            breakpoints: [{ instructionReference: '02', offset: 1, condition: 'acc < 3' },
                          { instructionReference: '150' }, { instructionReference: 'x' }],
        });
        assert.deepEqual(set.body.breakpoints.map(b => b.verified), [true, false, false]);
        assert.equal(set.body.breakpoints[0].instructionReference, '03');
        assert.equal(set.body.breakpoints[1].message, "There is no cell '150': the memory has cells 00 to 99.");
        assert.deepEqual((await stops(client)).map(s => s[0]), [13, 18, 23, 26]);
    }));

test('data breakpoints: write stops after a store, readWrite after a read too', () =>
    withClient(async client => {
        await launchWith(client, [], { stopOnEntry: true });
        const info = await client.customRequest('dataBreakpointInfo', { name: 'count' });
        assert.equal(info.body.dataId, 'cell:06');
        assert.deepEqual(info.body.accessTypes, ['write', 'readWrite']);
        const register = await client.customRequest('dataBreakpointInfo', { name: 'acc' });
        assert.equal(register.body.dataId, null);
        const entry = client.waitForEvent('stopped');
        await client.configurationDoneRequest();
        await entry;

        await client.customRequest('setDataBreakpoints',
            { breakpoints: [{ dataId: 'cell:06', accessType: 'write' }] });
        let stopped = client.waitForEvent('stopped');
        await client.continueRequest({ threadId: 1 });
        let event = (await stopped).body;
        assert.equal(event.reason, 'data breakpoint');
        assert.equal(event.description, 'STA 06 at line 3 wrote cell 06 (count): was 5, now 4');
        assert.equal((await h.variables(client, 1)).steps, '3');

        const set = await client.customRequest('setDataBreakpoints',
            { breakpoints: [{ dataId: 'cell:06', accessType: 'readWrite' }, { dataId: 'acc' }] });
        assert.deepEqual(set.body.breakpoints.map(b => b.verified), [true, false]);
        stopped = client.waitForEvent('stopped');
        await client.continueRequest({ threadId: 1 });
        event = (await stopped).body;
        assert.equal(event.description, 'LDA 06 at line 1 read cell 06 (count): 4');
        assert.deepEqual(event.hitBreakpointIds, [set.body.breakpoints[0].id]);
        assert.equal((await h.variables(client, 1)).steps, '6');

        // Backwards: the store before, then the read before that.
        stopped = client.waitForEvent('stopped');
        await client.customRequest('reverseContinue', { threadId: 1 });
        event = (await stopped).body;
        assert.equal(event.description, 'STA 06 at line 3 wrote cell 06 (count): was 5, now 4');
        assert.equal((await h.variables(client, 1)).steps, '3');
        stopped = client.waitForEvent('stopped');
        await client.customRequest('reverseContinue', { threadId: 1 });
        event = (await stopped).body;
        assert.equal(event.description, 'LDA 06 at line 1 read cell 06 (count): 5');
        assert.equal((await h.variables(client, 1)).steps, '1');
        stopped = client.waitForEvent('stopped');
        await client.customRequest('reverseContinue', { threadId: 1 });
        assert.equal((await stopped).body.reason, 'entry');
    }));

test('data breakpoints: a cell that is only read, watched for writes, never stops the run', () =>
    withClient(async client => {
        await launchWith(client, []);
        const set = await client.customRequest('setDataBreakpoints',
            { breakpoints: [{ dataId: 'cell:07', accessType: 'write' }] });
        assert.equal(set.body.breakpoints[0].verified, true);
        assert.deepEqual(await stops(client), [[26, 0, 'step']]);
    }));

test('function breakpoints asked for before the launch are placed by it', () =>
    withClient(async client => {
        const changed = client.waitForEvent('breakpoint');
        await client.initializeRequest();
        const early = await client.customRequest('setFunctionBreakpoints',
            { breakpoints: [{ name: 'one' }] });
        assert.equal(early.body.breakpoints[0].verified, false);
        await client.launchRequest({ program: h.temporaryProgram(kCountDown) });
        const event = (await changed).body.breakpoint;
        assert.deepEqual([event.id, event.verified, event.line, event.instructionReference],
                         [early.body.breakpoints[0].id, true, 8, '07']);
    }));

test('reverseContinue stops at line (with conditions) and instruction breakpoints', () =>
    withClient(async client => {
        await launchWith(client, [{ line: 4, condition: 'acc != 2' }]);
        await client.customRequest('setInstructionBreakpoints',
            { breakpoints: [{ instructionReference: '04', hitCondition: '1' }] });
        const forwards = await stops(client);
        assert.deepEqual(forwards.map(s => s[0]), [3, 4, 8, 18, 23, 26]);
        const back = [];
        for (;;) {
            const stopped = client.waitForEvent('stopped');
            await client.customRequest('reverseContinue', { threadId: 1 });
            const event = (await stopped).body;
            back.push(+(await h.variables(client, 1)).steps);
            if (event.reason === 'entry')
                break;
            assert.equal(event.reason, 'breakpoint');
        }
        // A breakpoint with a hit count stops where it stopped forwards.
        assert.deepEqual(back, [23, 18, 8, 4, 3, 0]);
    }));

// Without its filter, a run error or the step limit ends the session with
// korvane-run's exit status instead of stopping.
const filtered = [
    ['a run error without runError', '\tBRA\tend\nend\tDAT\t5\n', ['stepLimit'], 2],
    ['the step limit without stepLimit', 'loop\tBRA\tloop\n', ['runError'], 3],
];
for (const [name, text, filters, exitCode] of filtered) {
    test(`exception filters: ${name} ends the session`, () => withClient(async client => {
        const exited = client.waitForEvent('exited');
        const initialized = client.waitForEvent('initialized');
        const init = await client.initializeRequest();
        assert.deepEqual(init.body.exceptionBreakpointFilters.map(f => [f.filter, f.default]),
                         [['runError', true], ['stepLimit', true]]);
        await client.launchRequest({ program: h.temporaryProgram(text), maxSteps: 50 });
        await initialized;
        await client.setExceptionBreakpointsRequest({ filters });
        await client.configurationDoneRequest();
        assert.equal((await exited).body.exitCode, exitCode);
    }));
}

test('goto goes on from another line and drops the recorded future', () =>
    withClient(async client => {
        const { file } = await launchWith(client, [{ line: 5 }]);
        let stopped = client.waitForEvent('stopped');
        await client.configurationDoneRequest();
        await stopped; // before BRP, step 4
        const targets = await client.gotoTargetsRequest({ source: { path: file }, line: 6 });
        assert.deepEqual(targets.body.targets.map(t => [t.line, t.instructionPointerReference, t.label]),
                         [[6, '05', '05: HLT']]);
        const back = client.waitForEvent('stopped');
        await client.stepBackRequest({ threadId: 1 });
        await back;
        stopped = client.waitForEvent('stopped');
        await client.gotoRequest({ threadId: 1, targetId: targets.body.targets[0].id });
        assert.equal((await stopped).body.reason, 'goto');
        const registers = await h.variables(client, 1);
        assert.deepEqual([registers['program counter'], registers.steps], ['5', '3']);
        assert.match(h.outputText(client, 'stderr'),
                     /^The past was changed at step 3: the 1 steps recorded after it are dropped/);
        const halted = client.waitForEvent('stopped');
        await client.nextRequest({ threadId: 1 });
        assert.equal((await halted).body.description, 'halted');
        await assert.rejects(client.gotoRequest({ threadId: 1, targetId: 0 }));
    }));

test('disassemble shows the memory as address, word and instruction, changes included', () =>
    withClient(async client => {
        await launchWith(client, [], { stopOnEntry: true });
        const entry = client.waitForEvent('stopped');
        await client.configurationDoneRequest();
        await entry;
        await client.setVariableRequest({ variablesReference: 3, name: '01', value: '0107' });
        const shown = await client.customRequest('disassemble',
            { memoryReference: '00', instructionOffset: -1, instructionCount: 4 });
        const rows = shown.body.instructions;
        assert.deepEqual(rows.map(r => [r.address, r.instructionBytes, r.instruction, r.symbol, r.line]), [
            ['-1', undefined, '(outside the memory)', undefined, undefined],
            ['00', '066', 'LDA 06 count', 'loop', 1],
            ['01', '0107', 'ADD 07 one', undefined, 2],
            ['02', '0506', 'STA 06 count', undefined, 3],
        ]);
        assert.equal(rows[0].presentationHint, 'invalid');
        const data = await client.customRequest('disassemble',
            { memoryReference: '06', instructionCount: 1 });
        assert.equal(data.body.instructions[0].instruction, '5');
    }));
