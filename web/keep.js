// Where the lab page keeps a student's work: in its address, so that a link repeats a run, and in the
// browser's local storage, so that a reload keeps what was being written.
//
// The address: index.html?cpu=5b&cycles=40&views=trace,summary&program=TEXT&rom=IMAGE&ram=IMAGE (or
// until=halt in place of cycles).  Every part is decoded with decodeURIComponent, so a '+' typed in the
// address bar stays a '+'.  Content longer than plainLimit characters once encoded goes instead into
// the fragment, #z=DATA: the JSON of {program, rom, ram} compressed (deflate-raw) and in base64url.

const contentNames = ['program', 'rom', 'ram'];
const plainLimit = 1500;
const storageKey = 'tarvik-lab-work';

// The query as a Map of name to value; throws a URIError on a malformed %-escape.
export function queryOf(search) {
  const query = new Map();
  for (const part of search.replace(/^\?/, '').split('&').filter(Boolean)) {
    const at = part.includes('=') ? part.indexOf('=') : part.length;
    query.set(decodeURIComponent(part.slice(0, at)), decodeURIComponent(part.slice(at + 1)));
  }
  return query;
}

// The content the fragment carries ({program, rom, ram}, those given), or {} without one.
export async function fragmentContent(hash) {
  const data = hash.match(/^#z=([\w-]*)$/);
  if (!data) return {};
  const bytes = Uint8Array.from(atob(data[1].replace(/-/g, '+').replace(/_/g, '/')), (c) => c.charCodeAt(0));
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  return JSON.parse(await new Response(stream).text());
}

async function compressed(text) {
  const stream = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
  const bytes = new Uint8Array(await new Response(stream).arrayBuffer());
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) binary += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// The address (relative to the page) that repeats work: {cpu, cycles (null: until halt), views, program,
// rom, ram}, images null when not held.
export async function linkOf(work) {
  const part = (name, value) => `${name}=${encodeURIComponent(value)}`;
  const settings = [part('cpu', work.cpu), work.cycles === null ? 'until=halt' : part('cycles', work.cycles),
                    part('views', work.views.join(','))];
  const content = contentNames.filter((name) => work[name] !== null && work[name] !== undefined);
  const plain = content.map((name) => part(name, work[name]));
  if (plain.join('&').length <= plainLimit || typeof CompressionStream === 'undefined')
    return `?${[...settings, ...plain].join('&')}`;
  const packed = await compressed(JSON.stringify(Object.fromEntries(content.map((name) => [name, work[name]]))));
  return `?${settings.join('&')}#z=${packed}`;
}

// Whether an address names what to run (content or an example), which then wins over the saved work.
export function namesContent(query, hash) {
  return /^#z=/.test(hash) || ['example', ...contentNames].some((name) => query.has(name));
}

// The saved work, or null; storage may be refused (a private window, a full disk): then nothing is kept.
export function savedWork() {
  try {
    return JSON.parse(localStorage.getItem(storageKey));
  } catch {
    return null;
  }
}

export function saveWork(work) {
  try {
    localStorage.setItem(storageKey, JSON.stringify(work));
  } catch {
    // kept for this page only
  }
}
