// Embedded page script. The launcher runs it in the game site's main frame at
// every load end, so it may run more than once in the same page. It supplies
// the functions that the launcher's keyboard shortcuts call (F5, Ctrl with
// Plus, Minus and 0) wherever the site does not define them itself.
// Kept to ES5: the embedded engine is an old Chromium.
(function () {
  "use strict";

  var MARKER = "__zlmPageScript";
  // localStorage is scoped to the page's origin, so every site keeps its own zoom.
  var STORAGE_KEY = "zlm.zoom";
  // The usual browser zoom steps, in percent.
  var STEPS = [25, 33, 50, 67, 75, 80, 90, 100, 110, 125, 150, 175, 200, 250, 300, 400, 500];
  var MIN_ZOOM = STEPS[0];
  var MAX_ZOOM = STEPS[STEPS.length - 1];
  var DEFAULT_ZOOM = 100;

  var existing = window[MARKER];
  if (existing && typeof existing.reapply === "function") {
    existing.reapply();
    return;
  }

  // Used only when storage is unavailable (it throws in some privacy modes).
  var unstoredZoom = DEFAULT_ZOOM;

  function parseZoom(text) {
    if (typeof text !== "string" || !/^[0-9]{1,3}$/.test(text)) return null;
    var value = parseInt(text, 10);
    return (value >= MIN_ZOOM && value <= MAX_ZOOM) ? value : null;
  }

  function readZoom() {
    var stored = null;
    try {
      stored = parseZoom(window.localStorage.getItem(STORAGE_KEY));
    } catch (e) {
      return unstoredZoom;
    }
    return stored === null ? DEFAULT_ZOOM : stored;
  }

  function writeZoom(percent) {
    unstoredZoom = percent;
    try {
      if (percent === DEFAULT_ZOOM) {
        window.localStorage.removeItem(STORAGE_KEY);
      } else {
        window.localStorage.setItem(STORAGE_KEY, String(percent));
      }
    } catch (e) {
    }
  }

  // The bridge answers after cefQuery has returned, possibly long after the key
  // press, and may refuse (the launcher declines, or the page navigates away).
  // Requests are numbered so that a late answer can be told from a newer one.
  var lastSent = 0;
  var lastStored = 0;
  // The level of the newest request while it is unanswered. Steps start from
  // it, so that two quick presses make two steps, not the same one twice.
  var pendingZoom = null;

  // onAnswer(applied) runs once the launcher has answered; at once with false
  // when there is no bridge (a plain browser) or it throws.
  function sendZoom(percent, onAnswer) {
    if (typeof window.cefQuery !== "function") {
      onAnswer(false);
      return;
    }
    try {
      window.cefQuery({
        request: "win:zoom:" + percent,
        onSuccess: function () { onAnswer(true); },
        onFailure: function () { onAnswer(false); }
      });
    } catch (e) {
      onAnswer(false);
    }
  }

  // Only a level the launcher has applied is remembered, since every load
  // re-sends it. An older request answered after a newer level was stored
  // must not replace it.
  function setZoom(percent) {
    var request = ++lastSent;
    pendingZoom = percent;
    sendZoom(percent, function (applied) {
      if (applied && request > lastStored) {
        lastStored = request;
        writeZoom(percent);
      }
      if (request === lastSent) pendingZoom = null;
    });
  }

  function currentZoom() {
    return pendingZoom === null ? readZoom() : pendingZoom;
  }

  function nextStepAbove(percent) {
    for (var i = 0; i < STEPS.length; i++) {
      if (STEPS[i] > percent) return STEPS[i];
    }
    return null;
  }

  function nextStepBelow(percent) {
    for (var i = STEPS.length - 1; i >= 0; i--) {
      if (STEPS[i] < percent) return STEPS[i];
    }
    return null;
  }

  // At either end of the range the key does nothing, like a browser's own zoom.
  function zoomIn() {
    var next = nextStepAbove(currentZoom());
    if (next !== null) setZoom(next);
  }

  function zoomOut() {
    var next = nextStepBelow(currentZoom());
    if (next !== null) setZoom(next);
  }

  // Always sent, even at 100: it also corrects a level changed behind our back.
  function zoomReset() {
    setZoom(DEFAULT_ZOOM);
  }

  function reload() {
    window.location.reload();
  }

  var own = {
    zlmReload: reload,
    zlmZoomIn: zoomIn,
    zlmZoomOut: zoomOut,
    zlmZoomReset: zoomReset
  };

  function ownsZoom() {
    return window.zlmZoomIn === zoomIn || window.zlmZoomOut === zoomOut ||
           window.zlmZoomReset === zoomReset;
  }

  // The launcher's zoom belongs to the browser, not to the page, so it carries
  // over from the previous page, which may be another site page with its own
  // remembered zoom. Sending the remembered value on every load, 100 included,
  // keeps the shown zoom equal to the one the steps start from. A site that
  // brings all its own zoom functions manages zoom itself and is left alone.
  // It is a request like a step's: the launcher applies it after any step sent
  // before it, so it supersedes a step still unanswered when the script runs
  // again in the same page.
  function reapply() {
    if (ownsZoom()) setZoom(readZoom());
  }

  for (var name in own) {
    if (Object.prototype.hasOwnProperty.call(own, name) && typeof window[name] !== "function") {
      try {
        window[name] = own[name];
      } catch (e) {
      }
    }
  }

  try {
    Object.defineProperty(window, MARKER, {
      value: { reapply: reapply },
      configurable: false,
      enumerable: false,
      writable: false
    });
  } catch (e) {
  }

  reapply();
})();
