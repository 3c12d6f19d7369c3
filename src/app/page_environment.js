// Runs in every frame as soon as its script context exists, before any page
// script. Kept to ES5: the embedded engine is an old Chromium.
(function () {
  try {
    // Accessor without setter: a page that assigns the property keeps our value.
    var def = function (obj, key, value) {
      try {
        Object.defineProperty(obj, key, {
          configurable: true,
          enumerable: false,
          get: function () { return value; }
        });
      } catch (e) {
        try {
          obj[key] = value;
        } catch (e2) {
        }
      }
    };

    var href = "";
    try {
      var rawHref = location.href;
      href = (rawHref === undefined || rawHref === null) ? "" : String(rawHref);
    } catch (e) {
      href = "";
    }

    var flash = {
      name: "Shockwave Flash",
      filename: "pepflashplayer.dll",
      description: "Shockwave Flash 32.0 r0",
      length: 2
    };
    var mimeFlash = {
      type: "application/x-shockwave-flash",
      suffixes: "swf",
      description: "Shockwave Flash",
      enabledPlugin: flash
    };
    var mimeSplash = {
      type: "application/futuresplash",
      suffixes: "spl",
      description: "FutureSplash Player",
      enabledPlugin: flash
    };
    flash[0] = mimeFlash;
    flash[1] = mimeSplash;

    var plugins = [flash];
    plugins.length = 1;
    plugins.item = function (i) { return plugins[i] || null; };
    plugins.namedItem = function (name) {
      return (name === "Shockwave Flash" || name === "pepflashplayer.dll") ? flash : null;
    };
    plugins["Shockwave Flash"] = flash;
    plugins["pepflashplayer.dll"] = flash;

    var mimeTypes = [mimeFlash, mimeSplash];
    mimeTypes.length = 2;
    mimeTypes.item = function (i) { return mimeTypes[i] || null; };
    mimeTypes.namedItem = function (name) {
      for (var i = 0; i < mimeTypes.length; i++) {
        if (mimeTypes[i] && mimeTypes[i].type === name) return mimeTypes[i];
      }
      return null;
    };
    mimeTypes["application/x-shockwave-flash"] = mimeFlash;
    mimeTypes["application/futuresplash"] = mimeSplash;

    def(navigator, "plugins", plugins);
    def(navigator, "mimeTypes", mimeTypes);
    def(navigator, "pdfViewerEnabled", false);

    // The game's page is sized to the window; scroll bars would only steal room.
    try {
      if (document && document.documentElement) {
        document.documentElement.style.overflow = "hidden";
      }
      if (document && document.body) {
        document.body.style.overflow = "hidden";
      }
    } catch (e) {
    }

    try {
      if (console.log) console.log("[launcher-diag] plugin injected href=" + href);
    } catch (e) {
    }

    // The Flash element often waits for a user gesture before it starts; the
    // element may also be added late by the page, hence three attempts.
    var tryActivateFlash = function () {
      try {
        var element = document.querySelector(
            'embed[type*="shockwave"], object[type*="shockwave"], ' +
            'embed[src$=".swf"], object[data$=".swf"]');

        var htmlLen = 0;
        var hasSwfText = false;
        try {
          var root = document.documentElement;
          var html = (root && root.outerHTML) || "";
          htmlLen = html.length;
          hasSwfText = /\.swf[?"']/i.test(html) || /shockwave/i.test(html);
        } catch (e) {
          htmlLen = 0;
          hasSwfText = false;
        }

        try {
          if (console.log) {
            console.log("[launcher-diag] flash scan href=" + href +
                        " found=" + (element ? true : false) +
                        " hasSwfText=" + hasSwfText + " htmlLen=" + htmlLen);
          }
        } catch (e) {
        }

        if (!element) return;

        try {
          element.focus();
        } catch (e) {
        }
        try {
          var click = document.createEvent("MouseEvents");
          click.initMouseEvent("click", true, true, window, 1, 0, 0, 0, 0,
                               false, false, false, false, 0, null);
          element.dispatchEvent(click);
        } catch (e) {
        }
        try {
          if (console.log) console.log("[launcher-diag] flash element activated href=" + href);
        } catch (e) {
        }
      } catch (e) {
      }
    };

    setTimeout(tryActivateFlash, 1000);
    setTimeout(tryActivateFlash, 2500);
    setTimeout(tryActivateFlash, 5000);

    // "Play" flows open pop-ups; the launcher has one window, so they load in place.
    try {
      var oldOpen = window.open;
      window.open = function (url, target) {
        try {
          if (console.log) {
            console.log("[launcher-diag] window.open intercepted href=" + href +
                        " url=" + url + " target=" + target);
          }
        } catch (e) {
        }
        if (url) {
          try {
            location.href = url;
          } catch (e) {
          }
        }
        return null;
      };
      if (!window.__launcherOldOpen) window.__launcherOldOpen = oldOpen;
    } catch (e) {
    }
  } catch (e) {
  }
})();
