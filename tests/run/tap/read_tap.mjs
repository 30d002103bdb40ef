// Reads a TAP report from standard input with node-tap's parser and writes
// what it read as JSON: the final counts, and each top-level test point with
// the points of its subtest, so that a check can compare them with the class.
import { Parser } from 'tap-parser';

function points(parser) {
    const found = [];
    parser.on('assert', (point) => found.push({ id: point.id, ok: point.ok, name: point.name }));
    parser.on('child', (child) => {
        const inner = points(child);
        child.on('complete', () => {
            pending.push(inner);
        });
    });
    const pending = [];
    return { found, pending };
}

const chunks = [];
for await (const chunk of process.stdin)
    chunks.push(chunk);
const parser = new Parser();
const top = points(parser);
parser.on('complete', (results) => {
    const tests = top.found.map((point, index) => ({
        ...point,
        subtest: (top.pending[index] || { found: [] }).found,
    }));
    process.stdout.write(JSON.stringify({
        ok: results.ok, count: results.count, pass: results.pass, fail: results.fail,
        plan: results.plan.end, failures: results.failures.length, tests,
    }));
});
parser.end(Buffer.concat(chunks).toString('utf8'));
