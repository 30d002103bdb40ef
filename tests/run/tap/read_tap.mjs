// Reads a TAP report from standard input with node-tap's parser and writes
// what it read as JSON: the final counts, and each top-level test point with
// the points of the subtest before it, as the parser names them.
import { Parser } from 'tap-parser';

const chunks = [];
for await (const chunk of process.stdin)
    chunks.push(chunk);

const parser = new Parser();
const tests = [];
const subtests = [];
parser.on('child', (child) => {
    const points = [];
    subtests.push(points);
    child.on('assert', (point) => points.push({ id: point.id, ok: point.ok, name: point.name }));
});
parser.on('assert', (point) => tests.push({ id: point.id, ok: point.ok, name: point.name }));
parser.on('complete', (results) => {
    process.stdout.write(JSON.stringify({
        ok: results.ok, count: results.count, pass: results.pass, fail: results.fail,
        plan: results.plan.end,
        tests: tests.map((point, index) => ({ ...point, subtest: subtests[index] || [] })),
    }));
});
parser.end(Buffer.concat(chunks).toString('utf8'));
