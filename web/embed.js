// Writes the page's programs.js: the WebAssembly programs built (a CMake list), their modules (named
// in full, so that the site's installation can rename them, web/install.js) and the example assembly
// programs, name to text.  Usage: node embed.js OUT "PROGRAM;..." EXAMPLE.s...
'use strict';
const fs = require('fs');
const path = require('path');
const [out, built, ...examples] = process.argv.slice(2);
const programs = {};
for (const file of examples.sort()) programs[path.basename(file)] = fs.readFileSync(file, 'utf8');
const processors = built.split(';').filter((name) => name !== 'tarvik-asm');
const modules = Object.fromEntries(built.split(';').map((name) => [name, `./${name}.js`]));
fs.writeFileSync(out, `export const processors = ${JSON.stringify(processors)};\n` +
                      `export const modules = ${JSON.stringify(modules, null, 1)};\n` +
                      `export const examples = ${JSON.stringify(programs, null, 1)};\n`);
