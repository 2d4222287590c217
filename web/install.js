// Installs the built site for hosting, its files named by their contents (app.1f3c5a7e90.js), so that a
// server may let browsers keep them for good: a changed file is a new name.  The two entry pages keep
// their names (index.html, schematic.html) and are to be sent for revalidation; every reference to a
// file, in the pages and in the scripts, is rewritten to the new name, a file's references before its own
// name is taken.  The schematic's programs (NAME-schematic.js, .wasm) keep their names: schematic.js
// builds them from the processor's name.  Usage: node install.js SITE OUT (OUT is emptied first).
'use strict';
const crypto = require('crypto');
const fs = require('fs');
const path = require('path');

const [site, out] = process.argv.slice(2);
const entries = ['index.html', 'schematic.html'];
const keepsName = (name) => entries.includes(name) || /-schematic\.(js|wasm)$/.test(name);
const isText = (name) => /\.(html|js|css|svg)$/.test(name);

// A file name as a whole word: not part of a longer name (5a-LD-hazard-schematic.js holds schematic.js).
const mention = (name) => new RegExp(`(?<![\\w.-])${name.replace(/[.]/g, '\\.')}(?![\\w-])`, 'g');

function hashedName(name, contents) {
  const hash = crypto.createHash('sha256').update(contents).digest('hex').slice(0, 10);
  const dot = name.indexOf('.', name.lastIndexOf('-') + 1);
  return `${name.slice(0, dot)}.${hash}${name.slice(dot)}`;
}

function install() {
  const names = fs.readdirSync(site).filter((name) => fs.statSync(path.join(site, name)).isFile());
  const contents = new Map(names.map((name) => [name, fs.readFileSync(path.join(site, name), isText(name) ? 'utf8' : null)]));
  const uses = (name) => (isText(name) ? names.filter((other) => other !== name && !entries.includes(other) && mention(other).test(contents.get(name))) : []);
  const installed = new Map();  // name to its installed name
  const visiting = new Set();
  const place = (name) => {
    if (installed.has(name)) return;
    if (visiting.has(name)) throw new Error(`${[...visiting].join(" -> ")} -> ${name}: the names go round`);
    visiting.add(name);
    let text = contents.get(name);
    for (const used of uses(name)) {
      place(used);
      text = text.replace(mention(used), installed.get(used));
    }
    installed.set(name, keepsName(name) ? name : hashedName(name, text));
    visiting.delete(name);
    fs.writeFileSync(path.join(out, installed.get(name)), text);
  };
  fs.rmSync(out, {recursive: true, force: true});
  fs.mkdirSync(out, {recursive: true});
  names.forEach(place);
}

install();
