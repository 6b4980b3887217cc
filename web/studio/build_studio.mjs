// Builds the studio's page: one HTML file that holds everything it runs.
//   node build_studio.mjs --modules DIR --compiler DIR --out FILE
// --modules: the node_modules folder web/studio/install.sh filled (esbuild,
// CodeMirror); --compiler: the folder of scenario-compiler.js and .wasm
// (the web preset's build/web/web). The page's script is studio.js with what
// it imports, bundled by esbuild into one IIFE; the worker's text is the
// module's glue, the wasm as base64 and studio_worker.js.
import fs from 'node:fs';
import path from 'node:path';
import {fileURLToPath, pathToFileURL} from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const args = {};
for (let i = 2; i < process.argv.length; i += 2) {
  const key = process.argv[i].replace(/^--/, '');
  if (!['modules', 'compiler', 'out'].includes(key) || process.argv[i + 1] === undefined) {
    console.error(`build_studio.mjs: unknown or incomplete argument '${process.argv[i]}'; give --modules DIR --compiler DIR --out FILE`);
    process.exit(64);
  }
  args[key] = path.resolve(process.argv[i + 1]);
}
for (const key of ['modules', 'compiler', 'out']) {
  if (!args[key]) {
    console.error(`build_studio.mjs: --${key} is missing; give --modules DIR --compiler DIR --out FILE`);
    process.exit(64);
  }
}

const read = (file) => {
  try {
    return fs.readFileSync(file);
  } catch (error) {
    console.error(`build_studio.mjs: cannot read ${file}: ${error.message}`);
    process.exit(1);
  }
};
// A script that ended its own element would end it in the page.
const inlined = (what, text) => {
  if (/<\/script/i.test(text)) {
    console.error(`build_studio.mjs: ${what} holds '</script', which would end its element in the page`);
    process.exit(1);
  }
  return text;
};

const esbuild = await import(pathToFileURL(path.join(args.modules, 'esbuild', 'lib', 'main.js')).href);
const bundle = await esbuild.build({
  entryPoints: [path.join(here, 'studio.js')],
  bundle: true,
  format: 'iife',
  minify: true,
  target: 'es2020',
  write: false,
  nodePaths: [args.modules],
  logLevel: 'warning',
});
const script = inlined('the bundled script', bundle.outputFiles[0].text);
const glue = read(path.join(args.compiler, 'scenario-compiler.js')).toString('utf8');
const wasm = read(path.join(args.compiler, 'scenario-compiler.wasm'));
const worker = inlined('the worker', glue + '\nconst kModuleBase64 = "' + wasm.toString('base64') + '";\n' +
    read(path.join(here, 'studio_worker.js')).toString('utf8'));

let page = read(path.join(here, 'studio.html')).toString('utf8');
const fill = (mark, text) => {
  const at = page.indexOf(mark);
  if (at < 0 || page.indexOf(mark, at + 1) >= 0) {
    console.error(`build_studio.mjs: studio.html holds '${mark}' not exactly once`);
    process.exit(1);
  }
  page = page.slice(0, at) + text + page.slice(at + mark.length);
};
fill('/*@STUDIO_STYLE@*/', inlined('studio.css', read(path.join(here, 'studio.css')).toString('utf8')));
fill('/*@STUDIO_WORKER@*/', worker);
fill('/*@STUDIO_SCRIPT@*/', script);
fs.mkdirSync(path.dirname(args.out), {recursive: true});
fs.writeFileSync(args.out + '.new', page);
fs.renameSync(args.out + '.new', args.out);
console.log(`build_studio.mjs: wrote ${args.out} (${page.length} bytes)`);
