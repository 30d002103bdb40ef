// Validates SARIF logs against the SARIF 2.1.0 JSON schema that Microsoft's
// SARIF SDK ships, with Ajv and its formats (uri, uri-reference, date-time).
// Usage: node validate_sarif.mjs LOG...; prints each log's errors and exits
// with 1 when any log is invalid.
import { readFileSync } from 'node:fs';
import Ajv from 'ajv-draft-04';
import addFormats from 'ajv-formats';

const schemaFile = new URL(
    './node_modules/@microsoft/jest-sarif/lib/schemas/sarif-2.1.0-rtm.5.json', import.meta.url);
const schema = JSON.parse(readFileSync(schemaFile, 'utf8'));
// The schema's pattern for a language tag has a stray ']', which a regular
// expression with the u flag refuses: its patterns are compiled without it.
const ajv = new Ajv({ allErrors: true, strict: false, unicodeRegExp: false });
addFormats(ajv);
const validate = ajv.compile(schema);

let invalid = 0;
for (const file of process.argv.slice(2)) {
    const log = JSON.parse(readFileSync(file, 'utf8'));
    if (!validate(log)) {
        ++invalid;
        console.log(`${file}: ${ajv.errorsText(validate.errors, { separator: '\n  ' })}`);
    }
}
console.log(`${process.argv.length - 2 - invalid} valid, ${invalid} invalid`);
process.exit(invalid ? 1 : 0);
