// A static file server for the built site, bound to the loopback address
// only: `node web/serve.mjs build-web/site [PORT]` (scripts/web.sh builds and
// serves). The web tests use it too. Not part of the site.
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve } from 'node:path';
import { gzipSync } from 'node:zlib';
import { fileURLToPath } from 'node:url';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.htm': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
};

// Serves the folder; every request is recorded in requests. Replies are gzip
// compressed when the browser accepts it, as an ordinary web server does, so
// that sent counts the bytes of a real transfer.
export function serveSite(folder, port = 0) {
  const root = resolve(folder);
  const requests = [];
  const stats = { sent: 0 };
  const server = createServer(async (request, reply) => {
    const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    requests.push(path);
    const file = normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
    if (!file.startsWith(root)) {
      reply.writeHead(403).end();
      return;
    }
    try {
      let body = await readFile(file);
      const headers = { 'Content-Type': kTypes[extname(file)] || 'application/octet-stream' };
      if (/\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
        body = gzipSync(body, { level: 9 });
        headers['Content-Encoding'] = 'gzip';
      }
      headers['Content-Length'] = body.length;
      stats.sent += body.length;
      reply.writeHead(200, headers).end(body);
    } catch {
      reply.writeHead(404).end();
    }
  });
  return new Promise((done) => {
    server.listen(port, '127.0.0.1', () => {
      done({ url: `http://127.0.0.1:${server.address().port}/`, requests, stats, close: () => server.close() });
    });
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const [folder = 'build-web/site', port = '8000'] = process.argv.slice(2);
  const site = await serveSite(folder, Number(port));
  console.log(`Serving ${folder} at ${site.url} (Ctrl-C ends)`);
}
