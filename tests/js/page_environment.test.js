'use strict';
// The page environment script in a real browser: injected like the launcher
// does it (before any page script, in every frame, again after navigation).

const assert = require('node:assert/strict');
const { after, before, test } = require('node:test');
const {
  ENVIRONMENT_SCRIPT, collectDiagnostics, launchBrowser, newContext, page, startServer,
} = require('./support/harness');

// Records focus and click events with their time since the page's scripts
// started; runs after the environment script and before the timers fire.
const RECORDER = `<script>
  window.__start = Date.now();
  window.__events = [];
  ['focus', 'click'].forEach(function (type) {
    document.addEventListener(type, function (e) {
      window.__events.push({
        type: type, id: e.target.id, t: Date.now() - window.__start,
        bubbles: e.bubbles, cancelable: e.cancelable, trusted: e.isTrusted,
        detail: e.detail, view: e.view === window, button: e.button,
        coords: [e.screenX, e.screenY, e.clientX, e.clientY],
        keys: [e.ctrlKey, e.altKey, e.shiftKey, e.metaKey], related: e.relatedTarget,
      });
    }, true);
  });
</script>`;

const FLASH_BODY = '<p>loading</p><object id="game" data="/game.swf"></object>' +
                   '<embed id="second" src="/other.swf">';

const SCAN_CASES = [
  { markup: '<embed type="application/x-shockwave-flash">', found: true, hasSwfText: true },
  { markup: '<object data="/game.swf"></object>', found: true, hasSwfText: true },
  { markup: '<embed src="/game.swf?v=2">', found: false, hasSwfText: true },
  { markup: '<object data="/GAME.SWF"></object>', found: false, hasSwfText: true },
  { markup: '<object type="application/pdf" data="/a.pdf"></object>', found: false, hasSwfText: false },
  { markup: '<div data="/game.swf"></div>', found: false, hasSwfText: true },
  { markup: "<p>game.swf' and more</p>", found: false, hasSwfText: true },
  { markup: '<p>game.swf is coming</p>', found: false, hasSwfText: false },
  { markup: '<p>SHOCKWAVE</p>', found: false, hasSwfText: true },
  { markup: '<p>shock wave</p>', found: false, hasSwfText: false },
];

const routes = {
  '/plain.html': page('<p>nothing to play here</p>', RECORDER),
  '/flash.html': page(FLASH_BODY, RECORDER),
  '/frames.html': page('<iframe id="child" src="/child.html"></iframe>'),
  '/child.html': page('<p>child</p>'),
  '/target.html': page('<p>target</p>'),
  // Run while the parser is still in the head: the root exists, the body not yet.
  '/overflow-early.html':
    `<!doctype html><html><head><script>${ENVIRONMENT_SCRIPT}</script></head><body><p>x</p></body></html>`,
};
SCAN_CASES.forEach((c, i) => { routes[`/scan-${i}.html`] = page(c.markup); });

let browser;
let server;

before(async () => {
  server = await startServer(routes);
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (server) await server.close();
});

async function openPage(pathname, options) {
  const context = await newContext(browser, options);
  const tab = await context.newPage();
  const diagnostics = collectDiagnostics(tab);
  await tab.goto(server.base + pathname);
  return { context, tab, diagnostics };
}

test('navigator shows exactly one Flash plug-in, in the page and in its iframe', async () => {
  const facts = [
    ['navigator.plugins.length', 1],
    ['Array.isArray(navigator.plugins)', true],
    ['navigator.plugins[0].name', 'Shockwave Flash'],
    ['navigator.plugins[0].filename', 'pepflashplayer.dll'],
    ['navigator.plugins[0].description', 'Shockwave Flash 32.0 r0'],
    ['navigator.plugins[0].length', 2],
    ['navigator.plugins.item(0) === navigator.plugins[0]', true],
    ['navigator.plugins.item(5)', null],
    ['navigator.plugins.namedItem("Shockwave Flash") === navigator.plugins[0]', true],
    ['navigator.plugins.namedItem("pepflashplayer.dll") === navigator.plugins[0]', true],
    ['navigator.plugins.namedItem("shockwave flash")', null],
    ['navigator.plugins["pepflashplayer.dll"] === navigator.plugins[0]', true],
    ['navigator.plugins["Shockwave Flash"] === navigator.plugins[0]', true],
    ['navigator.mimeTypes.length', 2],
    ['Array.isArray(navigator.mimeTypes)', true],
    ['navigator.mimeTypes.namedItem("application/futuresplash").suffixes', 'spl'],
    ['navigator.mimeTypes.namedItem("application/x-shockwave-flash") === navigator.plugins[0][0]', true],
    ['navigator.mimeTypes.namedItem("application/pdf")', null],
    ['navigator.mimeTypes.item(1) === navigator.plugins[0][1]', true],
    ['navigator.mimeTypes.item(2)', null],
    ['navigator.mimeTypes["application/futuresplash"] === navigator.mimeTypes[1]', true],
    ['navigator.mimeTypes.map(function (m) { return [m.type, m.suffixes, m.description].join(); }).join("|")',
     'application/x-shockwave-flash,swf,Shockwave Flash|application/futuresplash,spl,FutureSplash Player'],
    ['navigator.mimeTypes[0].enabledPlugin === navigator.plugins[0]', true],
    ['navigator.mimeTypes[1].enabledPlugin === navigator.plugins[0]', true],
    ['navigator.pdfViewerEnabled', false],
    ['navigator.plugins === navigator.plugins', true],
    // Getter without setter: a page cannot swap the lists out.
    ['(function () { navigator.plugins = []; return navigator.plugins.length; })()', 1],
    ['typeof Object.getOwnPropertyDescriptor(navigator, "mimeTypes").set', 'undefined'],
    ['Object.getOwnPropertyDescriptor(navigator, "plugins").configurable', true],
    ['Object.keys(navigator).join()', ''],
  ];
  const { context, tab } = await openPage('/frames.html');
  const child = tab.frame({ url: `${server.base}/child.html` });
  assert.ok(child, 'iframe loaded');
  for (const [where, frame] of [['page', tab.mainFrame()], ['iframe', child]]) {
    for (const [expression, expected] of facts) {
      assert.deepEqual(await frame.evaluate(expression), expected, `${where}: ${expression}`);
    }
  }
  await context.close();
});

test('window.open never opens a window; with a URL it navigates the calling frame', async () => {
  const cases = [
    { args: ['/target.html', 'game'], navigates: true, logged: 'url=/target.html target=game' },
    { args: ['/target.html'], navigates: true, logged: 'url=/target.html target=undefined' },
    { args: [], navigates: false, logged: 'url=undefined target=undefined' },
    { args: ['', '_blank'], navigates: false, logged: 'url= target=_blank' },
  ];
  const { context, tab, diagnostics } = await openPage('/frames.html');
  let popups = 0;
  context.on('page', () => { popups += 1; });
  const child = tab.frame({ url: `${server.base}/child.html` });
  for (const frame of [tab.mainFrame(), child]) {
    for (const c of cases) {
      // The navigation is cancelled at its start, so each case leaves the frame where it was.
      const outcome = await frame.evaluate((args) => {
        const destinations = [];
        const onNavigate = (e) => { destinations.push(e.destination.url); e.preventDefault(); };
        navigation.addEventListener('navigate', onNavigate);
        const returned = window.open(...args);
        navigation.removeEventListener('navigate', onNavigate);
        return { returned, destinations };
      }, c.args);
      const label = `${frame === child ? 'iframe' : 'page'} open(${JSON.stringify(c.args)})`;
      assert.deepEqual(outcome, {
        returned: null,
        destinations: c.navigates ? [`${server.base}/target.html`] : [],
      }, label);
      assert.equal(diagnostics.at(-1),
                   `[launcher-diag] window.open intercepted href=${frame.url()} ${c.logged}`, label);
    }
  }

  await child.evaluate(() => window.open('/target.html', 'play'));
  await child.waitForURL(`${server.base}/target.html`);
  assert.equal(tab.url(), `${server.base}/frames.html`, 'an iframe navigates only itself');
  await tab.evaluate(() => window.open('/target.html', 'play'));
  await tab.waitForURL(`${server.base}/target.html`);
  assert.equal(popups, 0);
  assert.equal(context.pages().length, 1);
  await context.close();
});

test('the script adds only __launcherOldOpen, which keeps the browser\'s own window.open', async () => {
  const { context, tab } = await openPage('/plain.html', { environment: false });
  const globals = () => tab.evaluate(() => Object.getOwnPropertyNames(window));
  const before = await globals();
  await tab.evaluate(ENVIRONMENT_SCRIPT);
  await tab.evaluate(ENVIRONMENT_SCRIPT);
  const added = (await globals()).filter((name) => !before.includes(name));
  assert.deepEqual(added, ['__launcherOldOpen']);
  const state = await tab.evaluate(() => ({
    oldIsNative: Function.prototype.toString.call(window.__launcherOldOpen).includes('[native code]'),
    openIsNative: Function.prototype.toString.call(window.open).includes('[native code]'),
    opened: window.open(),
  }));
  assert.deepEqual(state, { oldIsNative: true, openIsNative: false, opened: null });
  await context.close();
});

test('scroll bars are hidden on the root and on a body that already exists', async () => {
  const cases = [
    { when: 'while the head is parsed', path: '/overflow-early.html', late: false, root: 'hidden', body: '' },
    { when: 'after the page loaded', path: '/plain.html', late: true, root: 'hidden', body: 'hidden' },
  ];
  for (const c of cases) {
    const { context, tab } = await openPage(c.path, { environment: false });
    if (c.late) await tab.evaluate(ENVIRONMENT_SCRIPT);
    const styles = await tab.evaluate(() => ({
      root: document.documentElement.style.overflow, body: document.body.style.overflow,
    }));
    assert.deepEqual(styles, { root: c.root, body: c.body }, c.when);
    await context.close();
  }
});

async function clickTimes(tab) {
  return tab.evaluate(() => window.__events.filter((e) => e.type === 'click').map((e) => `${e.id}@${e.t}`));
}

test('the Flash element is focused and clicked at 1000, 2500 and 5000 ms', async () => {
  const { context, tab, diagnostics } = await openPage('/flash.html', { pausedClock: true });
  const checkpoints = [
    [999, []],
    [1000, ['game@1000']],
    [2499, ['game@1000']],
    [2500, ['game@1000', 'game@2500']],
    [4999, ['game@1000', 'game@2500']],
    [5000, ['game@1000', 'game@2500', 'game@5000']],
    [60000, ['game@1000', 'game@2500', 'game@5000']],
  ];
  let now = 0;
  for (const [at, expected] of checkpoints) {
    await tab.clock.runFor(at - now);
    now = at;
    assert.deepEqual(await clickTimes(tab), expected, `after ${at} ms`);
  }

  const events = await tab.evaluate(() => window.__events);
  assert.deepEqual(events[0].type, 'focus');
  assert.equal(events[0].id, 'game');
  assert.equal(await tab.evaluate(() => document.activeElement.id), 'game');
  const click = events.find((e) => e.type === 'click');
  assert.deepEqual(
    { bubbles: click.bubbles, cancelable: click.cancelable, trusted: click.trusted, detail: click.detail,
      view: click.view, button: click.button, coords: click.coords, keys: click.keys, related: click.related },
    { bubbles: true, cancelable: true, trusted: false, detail: 1, view: true, button: 0,
      coords: [0, 0, 0, 0], keys: [false, false, false, false], related: null });

  const href = `${server.base}/flash.html`;
  const htmlLen = await tab.evaluate(() => document.documentElement.outerHTML.length);
  const round = [
    `[launcher-diag] flash scan href=${href} found=true hasSwfText=true htmlLen=${htmlLen}`,
    `[launcher-diag] flash element activated href=${href}`,
  ];
  assert.deepEqual(diagnostics, [`[launcher-diag] plugin injected href=${href}`, ...round, ...round, ...round]);
  await context.close();
});

test('a page without a Flash element is scanned three times and never clicked', async () => {
  const { context, tab, diagnostics } = await openPage('/plain.html', { pausedClock: true });
  await tab.clock.runFor(60000);
  assert.deepEqual(await tab.evaluate(() => window.__events), []);
  const href = `${server.base}/plain.html`;
  const htmlLen = await tab.evaluate(() => document.documentElement.outerHTML.length);
  const scan = `[launcher-diag] flash scan href=${href} found=false hasSwfText=false htmlLen=${htmlLen}`;
  assert.deepEqual(diagnostics, [`[launcher-diag] plugin injected href=${href}`, scan, scan, scan]);
  await context.close();
});

test('a Flash element added after 2.5 s is clicked only at 5 s', async () => {
  const { context, tab, diagnostics } = await openPage('/plain.html', { pausedClock: true });
  await tab.clock.runFor(2600);
  await tab.evaluate(() => {
    const movie = document.createElement('embed');
    movie.id = 'late';
    movie.setAttribute('type', 'application/x-shockwave-flash');
    document.body.appendChild(movie);
  });
  await tab.clock.runFor(2399);
  assert.deepEqual(await clickTimes(tab), []);
  await tab.clock.runFor(1);
  assert.deepEqual(await clickTimes(tab), ['late@5000']);
  const found = diagnostics.filter((l) => l.includes(' flash scan ')).map((l) => / found=(\w+)/.exec(l)[1]);
  assert.deepEqual(found, ['false', 'false', 'true']);
  await context.close();
});

test('the scan finds the first Flash candidate and measures the markup', async () => {
  const context = await newContext(browser, { pausedClock: true });
  const tab = await context.newPage();
  const diagnostics = collectDiagnostics(tab);
  for (const [i, c] of SCAN_CASES.entries()) {
    diagnostics.length = 0;
    await tab.goto(`${server.base}/scan-${i}.html`);
    await tab.clock.runFor(1000);
    const htmlLen = await tab.evaluate(() => document.documentElement.outerHTML.length);
    const scan = diagnostics.find((l) => l.includes(' flash scan '));
    assert.equal(scan, `[launcher-diag] flash scan href=${server.base}/scan-${i}.html found=${c.found} ` +
                       `hasSwfText=${c.hasSwfText} htmlLen=${htmlLen}`, c.markup);
  }
  await context.close();
});

test('a broken step does not stop the steps after it', async () => {
  const cases = [
    { breakage: 'console.log throws', clicks: 1,
      setup: () => { console.log = () => { throw new Error('console broken'); }; } },
    { breakage: 'console.log missing', clicks: 1, setup: () => { delete console.log; } },
    { breakage: 'navigator not extensible', clicks: 1, setup: () => { Object.preventExtensions(navigator); } },
    { breakage: 'focus throws', clicks: 1,
      setup: () => { HTMLObjectElement.prototype.focus = () => { throw new Error('no focus'); }; } },
    { breakage: 'no root element', clicks: 0, setup: () => { document.documentElement.remove(); } },
  ];
  for (const c of cases) {
    const { context, tab } = await openPage('/flash.html', { environment: false, pausedClock: true });
    await tab.evaluate(c.setup);
    await tab.evaluate(ENVIRONMENT_SCRIPT);
    const opened = await tab.evaluate(() => [window.open(), typeof window.__launcherOldOpen]);
    assert.deepEqual(opened, [null, 'function'], c.breakage);
    await tab.clock.runFor(1000);
    assert.equal((await clickTimes(tab)).length, c.clicks, c.breakage);
    await context.close();
  }
});
