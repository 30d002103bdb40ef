// Tokenises Korvane programs with VS Code's own TextMate engine
// (vscode-textmate on vscode-oniguruma) and checks the scope of every word:
// each mnemonic, in any case, a keyword; the label a line starts with a label
// definition (a variable's scope before DAT, a function's otherwise); numbers
// numeric; other operands a variable. What each word is comes from cutting the
// line at blanks and tabs, as the assembler does, not from the grammar.
//
//   node check_grammar.mjs GRAMMAR PROGRAM...
import fs from 'node:fs';
import { createRequire } from 'node:module';
import vsctm from 'vscode-textmate';
import oniguruma from 'vscode-oniguruma';

const require = createRequire(import.meta.url);
const [grammarPath, ...programs] = process.argv.slice(2);
const MNEMONICS = new Set(['ADD', 'SUB', 'MUL', 'DIV', 'STA', 'LDA', 'BRA', 'BRZ', 'BRP', 'BRN',
                           'BRG', 'INP', 'OUT', 'HLT', 'DAT']);
const isMnemonic = (word) => MNEMONICS.has(word.toUpperCase());

// The scope prefix each kind of word must carry.
const EXPECTED = {
    mnemonic: 'keyword.',
    codeLabel: 'entity.name.function.',
    dataLabel: 'variable.other.constant.',
    number: 'constant.numeric.',
    operand: 'variable.other.label.',
};

function wordsOf(line) {
    const words = [];
    for (const match of line.matchAll(/[^ \t\r]+/g))
        words.push({ text: match[0], start: match.index, end: match.index + match[0].length });
    words.forEach((word, i) => {
        if (isMnemonic(word.text))
            word.kind = 'mnemonic';
        else if (i === 0)
            word.kind = words[1] && words[1].text.toUpperCase() === 'DAT' ? 'dataLabel' : 'codeLabel';
        else if (/^[-+]?[0-9]+$/.test(word.text))
            word.kind = 'number';
        else
            word.kind = 'operand';
    });
    return words;
}

const wasm = fs.readFileSync(require.resolve('vscode-oniguruma/release/onig.wasm'));
const onigLib = oniguruma.loadWASM(wasm.buffer).then(() => ({
    createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
    createOnigString: (text) => new oniguruma.OnigString(text),
}));
const registry = new vsctm.Registry({
    onigLib,
    loadGrammar: async () => vsctm.parseRawGrammar(fs.readFileSync(grammarPath, 'utf8'), grammarPath),
});
const grammar = await registry.loadGrammar('source.korvane');
if (!grammar) {
    console.error(`${grammarPath}: the grammar does not load`);
    process.exit(1);
}

let failures = 0;
let checked = 0;
for (const program of programs) {
    const lines = fs.readFileSync(program, 'utf8').split('\n');
    let stack = vsctm.INITIAL;
    lines.forEach((line, number) => {
        const { tokens, ruleStack } = grammar.tokenizeLine(line, stack);
        stack = ruleStack;
        for (const word of wordsOf(line)) {
            // The token covering the word's first character must cover all of it.
            const token = tokens.find((t) => t.startIndex <= word.start && word.start < t.endIndex);
            const scopes = token ? token.scopes.slice(1) : [];
            const whole = token && token.startIndex === word.start && token.endIndex >= word.end;
            const inner = scopes[scopes.length - 1] || '(no scope)';
            ++checked;
            if (!whole || !inner.startsWith(EXPECTED[word.kind]) || !inner.endsWith('.korvane')) {
                ++failures;
                console.error(`${program}:${number + 1}:${word.start + 1}: '${word.text}' is a ` +
                              `${word.kind}, but its token is ${whole ? 'scoped' : 'cut'} ${inner}`);
            }
        }
    });
}
console.log(`${checked} words checked, ${failures} wrong`);
process.exit(failures === 0 && checked > 0 ? 0 : 1);
