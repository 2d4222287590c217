// A <pre> that shows a stream of text as it comes, up to a limit: past it the text is only kept, and
// a note under the <pre> says so and, once the stream ends, links the whole text as a file.  Given a
// test for lines, the lines it picks are shown in a span of class "error" (the rest as plain text).
export class StreamView {
  constructor(pre, note, limit, fileName, isErrorLine = null) {
    Object.assign(this, {pre, note, limit, fileName, isErrorLine});
    this.clear();
  }

  clear() {
    this.chunks = [];
    this.length = this.shown = 0;
    this.partLine = '';
    this.pre.replaceChildren();
    this.note.replaceChildren();
    if (this.link) URL.revokeObjectURL(this.link);
    this.link = null;
  }

  add(text) {
    this.chunks.push(text);
    this.length += text.length;
    if (!this.isErrorLine) return this.show(text, false);
    const lines = (this.partLine + text).split('\n');
    this.partLine = lines.pop();
    for (const line of lines) this.show(line + '\n', this.isErrorLine(line));
  }

  // The stream has ended: its last line without a newline, and the note with the link.
  finish() {
    if (this.partLine) this.show(this.partLine, this.isErrorLine(this.partLine));
    this.partLine = '';
    if (this.length <= this.limit) return;
    this.link = URL.createObjectURL(new Blob(this.chunks, {type: 'text/plain'}));
    const download = Object.assign(document.createElement('a'), {href: this.link, download: this.fileName});
    download.textContent = `download all of it (${this.fileName})`;
    this.note.replaceChildren(`${this.cutText()} of ${count(this.length)}: `, download);
  }

  text() {
    return this.chunks.join('');
  }

  show(text, isError) {
    const room = this.limit - this.shown;
    if (room <= 0) return;
    if (text.length > room) this.note.textContent = `${this.cutText()}; the run goes on`;
    const piece = text.slice(0, room);
    this.shown += piece.length;
    const span = () => Object.assign(document.createElement('span'), {className: 'error'});
    (isError ? this.pre.appendChild(span()) : this.pre).append(piece);
  }

  cutText() {
    return `Cut short: the page shows the first ${count(this.limit)} characters`;
  }
}

const count = (n) => n.toLocaleString('en');
