// Stepping forwards visits exactly the states of korvane-run's trace of the
// same program and input: registers, stack frame, labels and all 100 cells
// after every step; stepping backwards from the end visits them again in
// reverse, and continuing from the start replays the run without sending its
// output again, on the six samples (every case of their cases files), on
// the programs in ../programs and on random programs.
'use strict';

const { test } = require('node:test');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./harness');
const { assert } = h;

const kMaxSteps = 300;

// The labels of a program, from its text: the label of each line with a word.
function labelTable(text) {
    const table = [];
    text.split('\n').filter(line => line !== '').forEach((line, address) => {
        const fields = line.trim().split(/\s+/);
        if (/^\s/.test(line) || fields[0] === '')
            return;
        table.push([fields[0], address, (fields[1] || '').toUpperCase() === 'DAT']);
    });
    return table;
}

// Label values as the Labels scope shows them, from a memory model.
function expectedLabels(table, memory) {
    const labels = {};
    for (const [name, address, data] of table) {
        const cell = String(address).padStart(2, '0');
        labels[name] = data ? `${memory[address]} (cell ${cell})` : `cell ${cell}`;
    }
    return labels;
}

async function stepThrough(program, input) {
    const table = labelTable(fs.readFileSync(program, 'utf8'));
    const expected = h.korvaneRun(program, input, kMaxSteps);
    const memories = h.memoryAfterSteps(expected.image, expected.steps);
    const client = await h.startClient();
    try {
        const entry = client.waitForEvent('stopped');
        await h.launch(client, { program, input, stopOnEntry: true, maxSteps: kMaxSteps });
        assert.equal((await entry).body.reason, 'entry');
        const seen = []; // the state read after each step, forwards
        let last = null; // the stop that ended the run forwards
        for (let index = 0; ; ++index) {
            const state = await h.readState(client);
            const where = `${path.basename(program)} after ${index} steps`;
            assert.equal(state.registers.steps, String(index), where);
            if (index > 0) {
                const step = expected.steps[index - 1];
                assert.equal(state.registers.accumulator, String(step.accumulator), where);
                assert.equal(state.registers.flags, String(step.flags), where);
            }
            if (index < expected.steps.length) {
                const next = expected.steps[index];
                assert.equal(state.registers['program counter'], String(next.address), where);
                assert.equal(state.frame.instructionPointerReference,
                             String(next.address).padStart(2, '0'), where);
            }
            assert.deepEqual(state.memory.map(cell => cell.value), memories[index], where);
            assert.deepEqual(state.labels, expectedLabels(table, memories[index]), where);
            seen.push(state);
            if (last)
                break;

            const after = h.nextEvent(client, ['stopped', 'terminated']);
            await client.nextRequest({ threadId: 1 });
            const { kind, event } = await after;
            assert.equal(kind, 'stopped', where);
            if (event.body.description === 'halted') {
                // Stopped once after the halt: the last step of the trace was the halt.
                assert.equal(index + 1, expected.steps.length, `${where}: halted`);
                assert.equal(expected.steps[index].opcode, 0); // HLT
                assert.equal(expected.status, 0);
                last = event.body;
                continue; // the state after the halt is read and checked too
            }
            if (event.body.reason === 'exception') {
                // A run error or the step limit, where korvane-run stopped too.
                assert.equal(index, expected.steps.length, `${where}: stopped with an error`);
                assert.equal(event.body.description, expected.messages[0]);
                const info = await client.exceptionInfoRequest({ threadId: 1 });
                assert.equal(info.body.details.message, expected.messages.join('\n'));
                last = event.body;
                break;
            }
            assert.equal(event.body.reason, 'step', where);
        }
        assert.equal(h.outputText(client, 'stdout'), expected.output);

        // Backwards to the start: the same states in reverse, then nothing before the start.
        for (let index = seen.length - 2; index >= -1; --index) {
            const stopped = client.waitForEvent('stopped');
            await client.stepBackRequest({ threadId: 1 });
            const event = await stopped;
            assert.equal(event.body.reason, index >= 0 ? 'step' : 'entry');
            assert.deepEqual(await h.readState(client), seen[Math.max(index, 0)],
                             `${path.basename(program)} back to ${index} steps`);
        }
        // Forwards again replays: the same end, no value asked for, no output sent again.
        const end = client.waitForEvent('stopped');
        await client.continueRequest({ threadId: 1 });
        const again = (await end).body;
        assert.equal(again.reason, last.reason);
        assert.equal(again.description, last.description);
        assert.deepEqual(await h.readState(client), seen[seen.length - 1]);
        assert.equal(h.outputText(client, 'stdout'), expected.output);
    } finally {
        await client.stop();
    }
}

for (let sample = 0; sample < 6; ++sample) {
    for (const input of h.sampleInputs(sample)) {
        test(`sample ${sample} with input [${input.join(' ')}]`, () =>
            stepThrough(path.join(h.SAMPLES, `sample${sample}.kasm`), input));
    }
}

for (const name of fs.readdirSync(h.PROGRAMS).filter(n => n.endsWith('.kasm')).sort()) {
    const inputFile = path.join(h.PROGRAMS, name.replace(/\.kasm$/, '.input'));
    const input = fs.existsSync(inputFile)
        ? fs.readFileSync(inputFile, 'utf8').split(/\s+/).filter(v => v !== '') : [];
    test(`${name} with input [${input.join(' ')}]`, () =>
        stepThrough(path.join(h.PROGRAMS, name), input));
}

// Programs of random instructions over a few labels and data cells: loops,
// stores into code, divisions by zero, runs off the end and into data.
function randomProgram(random) {
    const mnemonics = ['ADD', 'SUB', 'MUL', 'DIV', 'STA', 'LDA', 'BRA', 'BRZ', 'BRP', 'BRN',
                       'BRG', 'INP', 'OUT', 'HLT'];
    const code = 4 + Math.floor(random() * 12);
    const data = 1 + Math.floor(random() * 4);
    const labels = [];
    for (let i = 0; i < code; ++i)
        labels.push(random() < 0.3 ? `L${i}` : '');
    const names = labels.filter(l => l !== '')
        .concat(Array.from({ length: data }, (_, i) => `D${i}`));
    const lines = [];
    for (let i = 0; i < code; ++i) {
        const mnemonic = mnemonics[Math.floor(random() * mnemonics.length)];
        const operand = ['INP', 'OUT', 'HLT'].includes(mnemonic)
            ? '' : names[Math.floor(random() * names.length)];
        lines.push(`${labels[i]}\t${mnemonic}\t${operand}`.trimEnd());
        if (random() < 0.1)
            lines.push('');
    }
    for (let i = 0; i < data; ++i)
        lines.push(`D${i}\tDAT\t${Math.floor(random() * 21) - 10}`);
    return lines.join('\n') + '\n';
}

function seeded(seed) {
    return () => {
        seed = (seed * 1103515245 + 12345) % 2147483648;
        return seed / 2147483648;
    };
}

test('random programs', async () => {
    const random = seeded(20261207);
    for (let n = 0; n < 24; ++n) {
        const program = h.temporaryProgram(randomProgram(random), `random${n}.kasm`);
        const input = Array.from({ length: 6 }, () => String(Math.floor(random() * 41) - 20));
        await stepThrough(program, input);
    }
});
