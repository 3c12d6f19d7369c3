'use strict';
// The browser suite runs a current Chromium, but the launcher embeds a much
// older one: syntax that is newer than ES5 would pass here and break there,
// silently, for the whole script.

const assert = require('node:assert/strict');
const { test } = require('node:test');
const acorn = require('acorn');
const { ENVIRONMENT_SCRIPT, PAGE_SCRIPT } = require('./support/harness');

test('both page scripts parse as ES5', () => {
  for (const [name, source] of [['page environment script', ENVIRONMENT_SCRIPT], ['page script', PAGE_SCRIPT]]) {
    assert.doesNotThrow(() => acorn.parse(source, { ecmaVersion: 5 }), name);
  }
});
