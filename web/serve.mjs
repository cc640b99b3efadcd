// A static file server for the built site, bound to the loopback address
// only: `node web/serve.mjs build-web/site [PORT]` (scripts/web.sh builds and
// serves). The web tests use it too. Not part of the site.
import { createServer } from 'node:http';
import { readFile, stat } from 'node:fs/promises';
import { extname, isAbsolute, relative, resolve } from 'node:path';
import { gzipSync } from 'node:zlib';
import { fileURLToPath } from 'node:url';

const kTypes = {
  '.html': 'text/html; charset=utf-8',
  '.htm': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.svg': 'image/svg+xml',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
  '.wasm': 'application/wasm',
};

// The file a request's path names inside root, or null when the path cannot
// be read (a malformed escape) or leaves root (a "..", an encoded "/", a
// sibling folder whose name starts with root's).
export function fileFor(root, urlPath) {
  let path;
  try {
    path = decodeURIComponent(urlPath);
  } catch {
    return null;
  }
  if (path.includes('\0')) return null;
  const file = resolve(root, '.' + (path.endsWith('/') ? path + 'index.html' : path));
  const inside = relative(root, file);
  if (inside === '' || inside.startsWith('..') || isAbsolute(inside)) return null;
  return file;
}

// Serves the folder; every request is recorded in requests. Replies are gzip
// compressed when the browser accepts it, as an ordinary web server does, so
// that sent counts the bytes of a real transfer. Each reply carries
// Last-Modified and an ETag, and a request that names them is answered 304.
export function serveSite(folder, port = 0) {
  const root = resolve(folder);
  const requests = [];
  const stats = { sent: 0 };
  const compressed = new Map();
  const server = createServer(async (request, reply) => {
    let urlPath;
    try {
      urlPath = new URL(request.url, 'http://localhost').pathname;
    } catch {
      reply.writeHead(400).end();
      return;
    }
    requests.push(urlPath);
    const file = fileFor(root, urlPath);
    if (file === null) {
      reply.writeHead(400).end();
      return;
    }
    try {
      const info = await stat(file);
      if (!info.isFile()) throw new Error('not a file');
      const tag = `"${info.size.toString(16)}-${Math.floor(info.mtimeMs).toString(16)}"`;
      const modified = info.mtime.toUTCString();
      const headers = {
        'Content-Type': kTypes[extname(file)] || 'application/octet-stream',
        ETag: tag,
        'Last-Modified': modified,
        'Cache-Control': 'no-cache',
      };
      const since = request.headers['if-modified-since'];
      if (request.headers['if-none-match'] === tag ||
          (!request.headers['if-none-match'] && since && Date.parse(since) >= Math.floor(info.mtimeMs / 1000) * 1000)) {
        reply.writeHead(304, headers).end();
        return;
      }
      let body;
      if (/\bgzip\b/.test(request.headers['accept-encoding'] || '')) {
        // Compressed once for each version of the file, as a static server
        // keeps its compressed copies.
        const kept = compressed.get(file);
        if (kept && kept.tag === tag) {
          body = kept.body;
        } else {
          body = gzipSync(await readFile(file), { level: 9 });
          compressed.set(file, { tag, body });
        }
        headers['Content-Encoding'] = 'gzip';
      } else {
        body = await readFile(file);
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
