// Speed reference: tokenise a level A interchange with the npm package
// "edifact" (its streaming Parser, encoding UNOC) and count the segments.
// Usage: node peer.js MODULE_DIR FILE   (MODULE_DIR holds node_modules/edifact)
'use strict';

const fs = require('fs');
const path = require('path');

const [moduleDir, file] = process.argv.slice(2);
const Parser = require(path.join(moduleDir, 'node_modules', 'edifact', 'parser.js'));

const parser = new Parser();
parser.encoding('UNOC');
let segments = 0;
parser.on('opensegment', () => { segments += 1; });

// The parser loses a release character that ends a chunk (the released byte
// is then read as a separator), so every chunk handed to it ends at a line
// feed; the tail after the last line feed is carried into the next chunk.
let carry = '';
fs.createReadStream(file, { encoding: 'latin1', highWaterMark: 1 << 16 })
  .on('data', (chunk) => {
    const text = carry + chunk;
    const cut = text.lastIndexOf('\n') + 1;
    carry = text.slice(cut);
    if (cut > 0) parser.write(text.slice(0, cut));
  })
  .on('end', () => {
    if (carry !== '') parser.write(carry);
    parser.end();
    process.stdout.write(segments + ' segments\n');
  })
  .on('error', (err) => { console.error(err.message); process.exit(1); });
