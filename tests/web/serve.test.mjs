// The development server: malformed addresses answered 400 without a crash,
// no file outside the site (a sibling folder whose name starts with the
// site's included), and cache validators that a second request can use.
//   node tests/web/serve.test.mjs
import assert from 'node:assert/strict';
import { mkdtempSync, mkdirSync, rmSync, writeFileSync } from 'node:fs';
import { request } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { serveSite } from '../../web/serve.mjs';

// A raw GET, the path sent exactly as written.
function get(url, path, headers = {}) {
  return new Promise((done, fail) => {
    const { hostname, port } = new URL(url);
    const req = request({ hostname, port, path, headers }, (reply) => {
      const chunks = [];
      reply.on('data', (chunk) => chunks.push(chunk));
      reply.on('end', () => done({ status: reply.statusCode, headers: reply.headers, body: Buffer.concat(chunks).toString() }));
    });
    req.on('error', fail);
    req.end();
  });
}

const top = mkdtempSync(join(tmpdir(), 'pellix-serve-'));
const site = join(top, 'site');
mkdirSync(site);
mkdirSync(join(top, 'site-private'));
writeFileSync(join(site, 'index.html'), '<!DOCTYPE html><title>lab</title>');
writeFileSync(join(top, 'site-private', 'secret.txt'), 'secret');
writeFileSync(join(top, 'secret.txt'), 'secret');
const server = await serveSite(site);
let failed = false;
try {
  for (const [path, status] of [
    ['/%E0%A4%A', 400],
    ['/%', 400],
    ['/..%2fsite-private/secret.txt', 400],
    ['/%2e%2e/secret.txt', 404],
    ['/../secret.txt', 404],
    ['/a%00b', 400],
    ['/missing.html', 404],
    ['/', 200],
  ]) {
    const reply = await get(server.url, path);
    assert.equal(reply.status, status, path);
    assert.ok(!reply.body.includes('secret'), `${path} read a file outside the site`);
  }
  const first = await get(server.url, '/index.html');
  assert.ok(first.headers.etag, 'an ETag');
  assert.ok(first.headers['last-modified'], 'a Last-Modified');
  assert.equal((await get(server.url, '/index.html', { 'If-None-Match': first.headers.etag })).status, 304);
  assert.equal((await get(server.url, '/index.html', { 'If-Modified-Since': first.headers['last-modified'] })).status, 304);
  console.log('serve test passed');
} catch (error) {
  failed = true;
  console.error(error);
} finally {
  server.close();
  rmSync(top, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
