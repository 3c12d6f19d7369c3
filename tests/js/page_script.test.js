'use strict';
// The embedded page script in a real browser. The launcher runs it in the
// site's main frame after every load end; the tests do the same after each
// navigation, and the keyboard shortcuts are driven by the launcher's own call
// texts.

const assert = require('node:assert/strict');
const { after, before, test } = require('node:test');
const { PAGE_SCRIPT, launchBrowser, newContext, page, startServer } = require('./support/harness');

const CALL = {
  reload: 'window.zlmReload&&window.zlmReload();',
  in: 'window.zlmZoomIn&&window.zlmZoomIn();',
  out: 'window.zlmZoomOut&&window.zlmZoomOut();',
  reset: 'window.zlmZoomReset&&window.zlmZoomReset();',
};

const PRESETS = [25, 33, 50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400, 500];
const STORAGE_KEY = 'zlm.zoom';

// Stands in for the launcher's bridge. Like the real message router it answers
// only after cefQuery has returned: in a later task of its own, or, holding,
// when the test answers the n-th query of the page (window.__answer). A refusal
// is the router's answer to a declined or canceled query. Requests are kept
// per page.
function fakeBridge(answer) {
  return `(function () {
    var queries = [];
    window.__requests = [];
    window.__answer = function (index, ok) {
      if (ok) queries[index].onSuccess('');
      else queries[index].onFailure(-1, 'The query has been canceled');
    };
    window.cefQuery = function (query) {
      window.__requests.push(query.request);
      var index = queries.push(query) - 1;
      if (${JSON.stringify(answer)} !== 'held') {
        setTimeout(function () { window.__answer(index, ${answer === 'success'}); }, 0);
      }
      return index + 1;
    };
  })();`;
}

const BRIDGES = {
  answering: fakeBridge('success'),
  refusing: fakeBridge('failure'),
  holding: fakeBridge('held'),
  throwing: 'window.cefQuery = function () { throw new Error("bridge down"); };',
  'not a function': 'window.cefQuery = {};',
  absent: '',
};

// A site page that brings some page functions of its own, marked so that the
// test can tell them apart.
function ownFunctions(names) {
  return `<script>
    window.__ownCalls = [];
    ${JSON.stringify(names)}.forEach(function (name) {
      window[name] = function () { window.__ownCalls.push(name); };
      window[name].own = true;
    });
  </script>`;
}

const routes = {
  '/site.html': page('<p>site</p>'),
  '/own-reload-and-in.html': page('<p>own</p>', ownFunctions(['zlmReload', 'zlmZoomIn'])),
  '/own-zoom.html': page('<p>own</p>', ownFunctions(['zlmZoomIn', 'zlmZoomOut', 'zlmZoomReset'])),
};

let browser;
let siteA;
let siteB;

before(async () => {
  siteA = await startServer(routes);
  siteB = await startServer(routes);
  browser = await launchBrowser();
});

after(async () => {
  if (browser) await browser.close();
  if (siteA) await siteA.close();
  if (siteB) await siteB.close();
});

async function bridgedContext(bridge = BRIDGES.answering, extraInit = '') {
  const context = await newContext(browser, { environment: false });
  await context.addInitScript({ content: bridge + extraInit });
  return context;
}

// Navigates, then runs the script as the launcher does at load end.
async function loadSitePage(tab, url) {
  await tab.goto(url);
  await tab.evaluate(PAGE_SCRIPT);
}

// Lets the answers the bridge gives in tasks of their own arrive first: timers
// of the same delay run in the order they were set.
function settle(tab) {
  return tab.evaluate(() => new Promise((resolve) => setTimeout(resolve, 0)));
}

async function takeRequests(tab) {
  await settle(tab);
  return tab.evaluate(() => window.__requests.splice(0));
}

async function storedZoom(tab) {
  await settle(tab);
  return tab.evaluate((key) => localStorage.getItem(key), STORAGE_KEY);
}

function zoomRequests(percents) {
  return percents.map((p) => `win:zoom:${p}`);
}

test('zoom walks the browser presets and stops at both ends', async () => {
  const context = await bridgedContext();
  const tab = await context.newPage();
  await loadSitePage(tab, `${siteA.base}/site.html`);
  assert.deepEqual(await takeRequests(tab), ['win:zoom:100']);

  const above = PRESETS.filter((p) => p > 100);
  const below = PRESETS.filter((p) => p < 500).reverse();
  const steps = [
    { call: 'in', times: above.length + 3, sent: above },
    { call: 'out', times: below.length + 3, sent: below },
    { call: 'reset', times: 1, sent: [100] },
    { call: 'reset', times: 1, sent: [100] },
  ];
  for (const step of steps) {
    for (let i = 0; i < step.times; i++) await tab.evaluate(CALL[step.call]);
    assert.deepEqual(await takeRequests(tab), zoomRequests(step.sent), step.call);
  }
  assert.equal(await storedZoom(tab), null);
  await context.close();
});

test('a stored zoom is applied on load and is where the steps start', async () => {
  // stored: the raw stored text; load: sent when the script runs; in / out: sent by one step
  // from the stored value (null: nothing sent and nothing remembered).
  const cases = [
    { stored: '150', load: 150, in: 175, out: 125 },
    { stored: '133', load: 133, in: 150, out: 125 },
    { stored: '25', load: 25, in: 33, out: null },
    { stored: '500', load: 500, in: null, out: 400 },
    { stored: 'abc', load: 100, in: 110, out: 90 },
    { stored: '9999', load: 100, in: 110, out: 90 },
    { stored: '0', load: 100, in: 110, out: 90 },
    { stored: '-50', load: 100, in: 110, out: 90 },
  ];
  const context = await bridgedContext();
  const tab = await context.newPage();
  const store = (value) => tab.evaluate(([key, v]) => localStorage.setItem(key, v), [STORAGE_KEY, value]);
  for (const c of cases) {
    await tab.goto(`${siteA.base}/site.html`);
    await store(c.stored);
    await tab.evaluate(PAGE_SCRIPT);
    assert.deepEqual(await takeRequests(tab), zoomRequests([c.load]), `load with ${c.stored}`);
    for (const direction of ['in', 'out']) {
      await store(c.stored);
      await tab.evaluate(CALL[direction]);
      const expected = c[direction];
      assert.deepEqual(await takeRequests(tab), expected === null ? [] : zoomRequests([expected]),
                       `${direction} from ${c.stored}`);
      assert.equal(await storedZoom(tab), expected === null ? c.stored : String(expected),
                   `remembered after ${direction} from ${c.stored}`);
    }
  }
  await context.close();
});

test('each site remembers its own zoom across reloads and navigation', async () => {
  const context = await bridgedContext();
  const tab = await context.newPage();
  await loadSitePage(tab, `${siteA.base}/site.html`);
  await tab.evaluate(CALL.in);
  await tab.evaluate(CALL.in);
  assert.deepEqual(await takeRequests(tab), zoomRequests([100, 110, 125]));

  const visits = [
    { what: 'reload of site A', url: null, sent: [125] },
    { what: 'site B, never zoomed', url: `${siteB.base}/site.html`, sent: [100] },
    { what: 'back on site A', url: `${siteA.base}/site.html`, sent: [125] },
  ];
  for (const v of visits) {
    if (v.url) {
      await tab.goto(v.url);
    } else {
      await tab.reload();
    }
    await tab.evaluate(PAGE_SCRIPT);
    assert.deepEqual(await takeRequests(tab), zoomRequests(v.sent), v.what);
  }
  await context.close();
});

test('a zoom is remembered only once the launcher has applied it', async () => {
  // Each case loads a page with `stored` in storage and runs the script, whose
  // re-send is query 0; the bridge holds every answer. Steps: a key, 'wait',
  // or 'ok n' / 'fail n' to answer the page's n-th query.
  const cases = [
    { what: 'refused step', stored: '150', steps: ['ok 0', 'in', 'fail 1', 'in'],
      sent: [150, 175, 175], after: '150' },
    { what: 'refused reset', stored: '150', steps: ['ok 0', 'reset', 'fail 1'], sent: [150, 100], after: '150' },
    { what: 'late success', stored: null, steps: ['ok 0', 'in', 'wait', 'ok 1'], sent: [100, 110], after: '110' },
    { what: 'two quick presses', stored: null, steps: ['ok 0', 'in', 'in', 'ok 1', 'ok 2'],
      sent: [100, 110, 125], after: '125' },
    { what: 'answers out of order', stored: null, steps: ['ok 0', 'in', 'in', 'ok 2', 'ok 1'],
      sent: [100, 110, 125], after: '125' },
    // The first step was applied, so it stays and the next step starts from it.
    { what: 'second of two presses refused', stored: null, steps: ['ok 0', 'in', 'in', 'ok 1', 'fail 2', 'in'],
      sent: [100, 110, 125, 125], after: '110' },
    { what: 'refused re-send on load', stored: '150', steps: ['fail 0', 'in'], sent: [150, 175], after: '150' },
    { what: 're-send answered after a newer step', stored: '150', steps: ['in', 'ok 1', 'ok 0'],
      sent: [150, 175], after: '175' },
  ];
  const context = await bridgedContext(BRIDGES.holding);
  const tab = await context.newPage();
  for (const c of cases) {
    await tab.goto(`${siteA.base}/site.html`);
    await tab.evaluate(([key, value]) => {
      if (value === null) localStorage.removeItem(key); else localStorage.setItem(key, value);
    }, [STORAGE_KEY, c.stored]);
    await tab.evaluate(PAGE_SCRIPT);
    for (const step of c.steps) {
      const [verb, index] = step.split(' ');
      if (verb === 'wait') {
        await tab.waitForTimeout(300);
      } else if (CALL[verb]) {
        await tab.evaluate(CALL[verb]);
      } else {
        await tab.evaluate(([i, ok]) => window.__answer(i, ok), [Number(index), verb === 'ok']);
      }
    }
    assert.deepEqual(await takeRequests(tab), zoomRequests(c.sent), `${c.what}: sent`);
    assert.equal(await storedZoom(tab), c.after, `${c.what}: remembered`);
  }
  await context.close();
});

test('page functions of the site itself are kept', async () => {
  const cases = [
    { path: '/own-reload-and-in.html', own: ['zlmReload', 'zlmZoomIn'], load: [100],
      calls: [['in', []], ['out', [90]], ['reset', [100]]], ownCalls: ['zlmZoomIn'] },
    // A site with its whole zoom of its own is not overruled on load either.
    { path: '/own-zoom.html', own: ['zlmZoomIn', 'zlmZoomOut', 'zlmZoomReset'], load: [],
      calls: [['in', []], ['out', []], ['reset', []]], ownCalls: ['zlmZoomIn', 'zlmZoomOut', 'zlmZoomReset'] },
  ];
  const context = await bridgedContext();
  const tab = await context.newPage();
  for (const c of cases) {
    await loadSitePage(tab, siteA.base + c.path);
    assert.deepEqual(await takeRequests(tab), zoomRequests(c.load), `${c.path} load`);
    const ownership = await tab.evaluate(() => ['zlmReload', 'zlmZoomIn', 'zlmZoomOut', 'zlmZoomReset']
      .filter((name) => typeof window[name] === 'function' && window[name].own === true));
    assert.deepEqual(ownership, c.own, c.path);
    for (const [call, sent] of c.calls) {
      await tab.evaluate(CALL[call]);
      assert.deepEqual(await takeRequests(tab), zoomRequests(sent), `${c.path} ${call}`);
    }
    assert.deepEqual(await tab.evaluate(() => window.__ownCalls), c.ownCalls, `${c.path} own functions called`);
  }
  await context.close();
});

test('running again in the same page installs nothing twice', async () => {
  const context = await bridgedContext();
  const tab = await context.newPage();
  await tab.goto(`${siteA.base}/site.html`);
  const snapshot = () => tab.evaluate(() => {
    window.__installed = window.__installed || [];
    window.__installed.push([window.zlmReload, window.zlmZoomIn, window.zlmZoomOut, window.zlmZoomReset]);
    return Object.keys(window).filter((k) => k !== '__installed');
  });
  const before = await snapshot();
  const runs = [];
  for (let run = 0; run < 2; run++) {
    await tab.evaluate(PAGE_SCRIPT);
    runs.push(await snapshot());
  }
  const added = runs[0].filter((k) => !before.includes(k));
  assert.deepEqual(added.sort(), ['zlmReload', 'zlmZoomIn', 'zlmZoomOut', 'zlmZoomReset']);
  assert.deepEqual(runs[1], runs[0]);
  assert.equal(await tab.evaluate(() => window.__installed[1].every((f, i) => f === window.__installed[2][i])),
               true, 'same functions after the second run');
  // Each run follows a load end and re-applies the zoom; a step is still one request.
  assert.deepEqual(await takeRequests(tab), zoomRequests([100, 100]));
  await tab.evaluate(CALL.in);
  assert.deepEqual(await takeRequests(tab), zoomRequests([110]));
  await tab.evaluate(PAGE_SCRIPT);
  assert.deepEqual(await takeRequests(tab), zoomRequests([110]));
  await context.close();
});

test('without a working bridge the script is harmless and remembers nothing', async () => {
  for (const bridge of ['absent', 'throwing', 'not a function', 'refusing']) {
    const context = await bridgedContext(BRIDGES[bridge]);
    const tab = await context.newPage();
    await tab.goto(`${siteA.base}/site.html`);
    await tab.evaluate((key) => localStorage.setItem(key, '150'), STORAGE_KEY);
    await tab.evaluate(PAGE_SCRIPT);
    for (const call of ['in', 'out', 'reset']) await tab.evaluate(CALL[call]);
    await settle(tab);
    const state = await tab.evaluate((key) => ({
      functions: [window.zlmReload, window.zlmZoomIn, window.zlmZoomOut, window.zlmZoomReset]
        .map((f) => typeof f),
      stored: localStorage.getItem(key),
    }), STORAGE_KEY);
    assert.deepEqual(state, { functions: Array(4).fill('function'), stored: '150' }, bridge);
    await context.close();
  }
});

test('zoom still steps when storage is unavailable', async () => {
  const blockStorage = `Object.defineProperty(window, 'localStorage', {
      configurable: true, get: function () { throw new DOMException('denied', 'SecurityError'); } });`;
  const context = await bridgedContext(BRIDGES.answering, blockStorage);
  const tab = await context.newPage();
  await loadSitePage(tab, `${siteA.base}/site.html`);
  assert.equal(await tab.evaluate(() => { try { return typeof localStorage; } catch (e) { return e.name; } }),
               'SecurityError');
  for (const call of ['in', 'in', 'out', 'reset', 'out']) await tab.evaluate(CALL[call]);
  assert.deepEqual(await takeRequests(tab), zoomRequests([100, 110, 125, 110, 100, 90]));
  await context.close();
});

test('F5 reloads the page through zlmReload', async () => {
  const context = await bridgedContext();
  const tab = await context.newPage();
  await loadSitePage(tab, `${siteA.base}/site.html`);
  await tab.evaluate(() => { window.__beforeReload = true; });
  await Promise.all([tab.waitForEvent('load'), tab.evaluate(CALL.reload)]);
  assert.deepEqual(await tab.evaluate(() => [location.pathname, window.__beforeReload]), ['/site.html', undefined]);
  await context.close();
});
