// Writes the page with pellix-boot.js inside it, so that the router core's
// download and compilation start while the page is still being read, not
// when the main thread is next free to run a script of its own. The page's
// Content-Security-Policy allows that one script by its SHA-256 hash.
//   node web/inline-boot.mjs index.html pellix-boot.js OUT
import { readFileSync, writeFileSync } from 'node:fs';
import { createHash } from 'node:crypto';

const [page, boot, out] = process.argv.slice(2);
const code = readFileSync(boot, 'utf8');
const hash = createHash('sha256').update(code, 'utf8').digest('base64');
const tag = '<script src="pellix-boot.js" async></script>';
const policy = "script-src 'self'";
let html = readFileSync(page, 'utf8');
if (!html.includes(tag) || !html.includes(policy)) {
  console.error(`${page}: no ${tag} or no ${policy} to take it`);
  process.exit(1);
}
html = html.replace(tag, () => `<script>${code}</script>`);
html = html.replace(policy, () => `${policy} 'sha256-${hash}'`);
writeFileSync(out, html);
