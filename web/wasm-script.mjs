// Writes the router core's WebAssembly as a script that holds it as text
// (base64), for the site opened from a folder (file://), where the page can
// fetch nothing but can still run the scripts beside it.
//   node web/wasm-script.mjs pellix-core.wasm OUT
import { readFileSync, writeFileSync } from 'node:fs';

const [wasm, out] = process.argv.slice(2);
const text = readFileSync(wasm).toString('base64');
writeFileSync(out, `// The router core's WebAssembly (pellix-core.wasm) as base64, for the page opened from a folder.\n` +
  `window.pellixWasm = '${text}';\n`);
