// A headless chromium driven through its DevTools pipe (JSON messages ended by a NUL byte, read on
// its fd 3 and written on fd 4), in real time: the lab's runs go on in workers, which chromium's
// virtual time does not wait for.  As a command it prints a page's DOM once a condition holds:
//     node tests/web/chromium.js URL CONDITION      (CONDITION: a JavaScript expression on the page)
'use strict';
const {spawn} = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

class Chromium {
  constructor() {
    this.profile = fs.mkdtempSync(path.join(os.tmpdir(), 'chromium-'));
    this.process = spawn('chromium', ['--headless', '--no-sandbox', '--disable-gpu', '--remote-debugging-pipe',
                                      `--user-data-dir=${this.profile}`, 'about:blank'],
                         {stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe']});
    this.waiting = new Map();
    this.loaded = new Map();
    this.sent = 0;
    this.process.on('exit', () => this.waiting.forEach((answer) => answer({error: {message: 'chromium ended'}})));
    let rest = '';
    this.process.stdio[4].setEncoding('utf8');
    this.process.stdio[4].on('data', (data) => {
      const messages = (rest + data).split('\0');
      rest = messages.pop();
      for (const text of messages) this.received(JSON.parse(text));
    });
  }

  received(message) {
    const answer = this.waiting.get(message.id);
    if (answer) answer(message);
    if (message.method === 'Page.loadEventFired') (this.loaded.get(message.sessionId) || (() => {}))();
  }

  send(method, params = {}, sessionId = undefined) {
    const id = ++this.sent;
    this.process.stdio[3].write(JSON.stringify({id, method, params, sessionId}) + '\0');
    return new Promise((resolve, reject) => this.waiting.set(id, (m) => (m.error ? reject(new Error(m.error.message)) : resolve(m.result))));
  }

  // A new tab with the page at url, loaded; resolves to its session.
  async open(url) {
    const {targetId} = await this.send('Target.createTarget', {url: 'about:blank'});
    const {sessionId} = await this.send('Target.attachToTarget', {targetId, flatten: true});
    await this.send('Page.enable', {}, sessionId);
    const loaded = new Promise((resolve) => this.loaded.set(sessionId, resolve));
    await this.send('Page.navigate', {url}, sessionId);
    await loaded;
    return sessionId;
  }

  // The value of an expression on the page (awaited when it is a promise).
  async evaluate(sessionId, expression) {
    const {result, exceptionDetails} = await this.send('Runtime.evaluate', {expression, awaitPromise: true, returnByValue: true}, sessionId);
    if (exceptionDetails) throw new Error(`${expression.slice(0, 80)}: ${exceptionDetails.exception.description}`);
    return result.value;
  }

  async close() {
    const ended = new Promise((resolve) => this.process.once('exit', resolve));
    this.process.kill();
    await ended;
    // Chromium's helper processes may still write into the profile for a moment after it ends: the
    // removal is retried, and a profile left behind in the temporary folder is no test's failure.
    try {
      fs.rmSync(this.profile, {recursive: true, force: true, maxRetries: 20, retryDelay: 100});
    } catch (e) {
      process.stderr.write(`chromium.js: ${this.profile} left behind (${e.code})\n`);
    }
  }
}

// On the page: waits until test() holds (polled every 10 ms) or ms have passed; resolves to whether it held.
const untilOnPage = `window.until = async (test, ms) => {
  for (const end = performance.now() + ms; !test(); await new Promise((r) => setTimeout(r, 10)))
    if (performance.now() > end) return false;
  return true;
};`;

async function domOnceTrue(url, condition) {
  const browser = new Chromium();
  try {
    const page = await browser.open(url);
    await browser.evaluate(page, untilOnPage);
    await browser.evaluate(page, `until(() => ${condition}, 120000)`);
    return await browser.evaluate(page, 'document.documentElement.outerHTML');
  } finally {
    await browser.close();
  }
}

module.exports = {Chromium, untilOnPage};
if (require.main === module) domOnceTrue(process.argv[2], process.argv[3]).then((dom) => process.stdout.write(dom));
