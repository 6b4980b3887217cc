// A ZIP archive of files stored as they are (no compression), as every
// unzipper reads: each file's local header and bytes, then the central
// directory and its end. Names in UTF-8 (flagged so when not ASCII).
const crcTable = new Uint32Array(256);
for (let n = 0; n < 256; ++n) {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  crcTable[n] = c >>> 0;
}
export function crc32(bytes) {
  let crc = 0xffffffff;
  for (let i = 0; i < bytes.length; ++i) crc = crcTable[(crc ^ bytes[i]) & 0xff] ^ (crc >>> 8);
  return (crc ^ 0xffffffff) >>> 0;
}

// files: [{name, bytes}]; `when`: the files' time, as the DOS fields hold it
// (local time, two-second steps, from 1980).
export function zipStored(files, when) {
  const encoder = new TextEncoder();
  const time = (when.getHours() << 11) | (when.getMinutes() << 5) | (when.getSeconds() >> 1);
  const date = ((Math.max(when.getFullYear(), 1980) - 1980) << 9) | ((when.getMonth() + 1) << 5) | when.getDate();
  const parts = [];
  const central = [];
  let offset = 0;
  for (const file of files) {
    const name = encoder.encode(file.name);
    const ascii = name.every((b) => b < 0x80);
    const crc = crc32(file.bytes);
    const fields = (signature, extra) => {
      const header = new DataView(new ArrayBuffer(extra ? 46 : 30));
      let at = 0;
      const u32 = (v) => { header.setUint32(at, v, true); at += 4; };
      const u16 = (v) => { header.setUint16(at, v, true); at += 2; };
      u32(signature);
      if (extra) u16(20);  // made by: version 2.0
      u16(20);  // needed to extract: version 2.0
      u16(ascii ? 0 : 0x0800);
      u16(0);  // stored
      u16(time);
      u16(date);
      u32(crc);
      u32(file.bytes.length);
      u32(file.bytes.length);
      u16(name.length);
      u16(0);  // no extra field
      if (extra) {
        u16(0);  // no comment
        u16(0);  // disk 0
        u16(0);  // internal attributes
        u32(0);  // external attributes
        u32(offset);
      }
      return new Uint8Array(header.buffer);
    };
    const local = fields(0x04034b50, false);
    central.push(fields(0x02014b50, true), name);
    parts.push(local, name, file.bytes);
    offset += local.length + name.length + file.bytes.length;
  }
  const directorySize = central.reduce((size, part) => size + part.length, 0);
  const end = new DataView(new ArrayBuffer(22));
  end.setUint32(0, 0x06054b50, true);
  end.setUint16(8, files.length, true);
  end.setUint16(10, files.length, true);
  end.setUint32(12, directorySize, true);
  end.setUint32(16, offset, true);
  const all = [...parts, ...central, new Uint8Array(end.buffer)];
  const zip = new Uint8Array(all.reduce((size, part) => size + part.length, 0));
  let at = 0;
  for (const part of all) {
    zip.set(part, at);
    at += part.length;
  }
  return zip;
}
