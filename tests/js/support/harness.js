'use strict';
// Shared rig: Debian's Chromium driven by playwright-core, pages served from
// 127.0.0.1, and the two page scripts read from the source tree.

const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { chromium } = require('playwright-core');

const SRC = path.resolve(__dirname, '..', '..', '..', 'src');
const ENVIRONMENT_SCRIPT = fs.readFileSync(path.join(SRC, 'app', 'page_environment.js'), 'utf8');
const PAGE_SCRIPT = fs.readFileSync(path.join(SRC, 'resources', 'page_script.js'), 'utf8');

const DIAG_PREFIX = '[launcher-diag] ';

// Without the background-networking switches Chromium keeps dialling out and
// this machine's closed network refuses it.
const CHROMIUM_ARGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

function page(body, head = '') {
  return `<!doctype html><html><head><meta charset="utf-8">${head}</head><body>${body}</body></html>`;
}

// routes: path -> HTML text. Any other path answers 404, which is what the
// fake .swf references in the fixtures get.
async function startServer(routes) {
  const server = http.createServer((req, res) => {
    const pathname = new URL(req.url, 'http://127.0.0.1').pathname;
    const html = routes[pathname];
    if (html === undefined) {
      res.writeHead(404, { 'content-type': 'text/plain' });
      res.end('not found');
      return;
    }
    res.writeHead(200, { 'content-type': 'text/html; charset=utf-8', 'cache-control': 'no-store' });
    res.end(html);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    base: `http://127.0.0.1:${server.address().port}`,
    close: () => new Promise((resolve) => {
      server.closeAllConnections();
      server.close(resolve);
    }),
  };
}

// playwright starts Chromium with a new empty profile folder of its own and
// removes it on close.
function launchBrowser() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM_PATH || '/usr/bin/chromium',
    headless: true,
    args: CHROMIUM_ARGS,
  });
}

// A fresh context. environment: inject the environment script the way the
// launcher does (before any page script, in every frame, after every
// navigation). pausedClock: a fake clock that only moves when told to.
async function newContext(browser, { environment = true, pausedClock = false } = {}) {
  const context = await browser.newContext();
  if (pausedClock) {
    await context.clock.install({ time: 0 });
    await context.clock.pauseAt(1);
  }
  if (environment) await context.addInitScript({ content: ENVIRONMENT_SCRIPT });
  return context;
}

// Collects the diagnostic console lines of every frame of a page.
function collectDiagnostics(target) {
  const lines = [];
  target.on('console', (message) => {
    const text = message.text();
    if (text.startsWith(DIAG_PREFIX)) lines.push(text);
  });
  return lines;
}

module.exports = {
  ENVIRONMENT_SCRIPT,
  PAGE_SCRIPT,
  collectDiagnostics,
  launchBrowser,
  newContext,
  page,
  startServer,
};
