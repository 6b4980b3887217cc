// Sources as they are on disk: Windows-1252 bytes. Every byte reads as one
// letter (the five bytes Windows-1252 leaves unassigned as the control
// letters of the same number), so that bytes read and written back are the
// same bytes.
const decoder = new TextDecoder('windows-1252');
const byteOf = new Map();
for (let byte = 0; byte < 256; ++byte) byteOf.set(decoder.decode(Uint8Array.of(byte)).charCodeAt(0), byte);

export function windows1252Text(bytes) {
  return decoder.decode(bytes);
}

// The line end a text keeps: CR LF when its first line ends so, else LF.
export function lineEndOf(text) {
  const lf = text.indexOf('\n');
  return lf > 0 && text[lf - 1] === '\r' ? '\r\n' : '\n';
}

// The bytes of `text`; a letter Windows-1252 cannot hold throws an Error
// that names `name`, the line and the column (from 1), and the letter.
export function windows1252Bytes(text, name) {
  const bytes = new Uint8Array(text.length);
  let line = 1, lineStart = 0;
  for (let i = 0; i < text.length; ++i) {
    const code = text.charCodeAt(i);
    const byte = byteOf.get(code);
    if (byte === undefined) {
      const letter = String.fromCodePoint(text.codePointAt(i));
      const error = new Error(name + ':' + line + ':' + (i - lineStart + 1) + ': "' + letter + '" (U+' +
          text.codePointAt(i).toString(16).toUpperCase().padStart(4, '0') +
          ') is not a Windows-1252 letter, and the sources are Windows-1252: write it another way');
      error.line = line;
      throw error;
    }
    bytes[i] = byte;
    if (code === 10) {
      ++line;
      lineStart = i + 1;
    }
  }
  return bytes;
}
