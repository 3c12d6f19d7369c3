#include "engine.h"

#include <algorithm>

#include "browser_impl.h"

namespace standin {

namespace {

struct EngineState {
  bool initialized = false;
  CefRefPtr<CefApp> app;
  CefSettings settings;
  std::vector<CefRefPtr<BrowserImpl>> browsers;  // oldest first
  int next_browser_id = 1;
};

EngineState& State() {
  static EngineState state;
  return state;
}

}  // namespace

bool EngineInitialized() {
  return State().initialized;
}

void SetEngineInitialized(CefRefPtr<CefApp> app, const CefSettings& settings) {
  State().initialized = true;
  State().app = app;
  State().settings = settings;
}

const CefSettings& EngineSettings() {
  return State().settings;
}

void ResetEngine() {
  std::vector<CefRefPtr<BrowserImpl>> browsers;
  browsers.swap(State().browsers);
  for (const CefRefPtr<BrowserImpl>& browser : browsers)
    browser->Abandon();
  browsers.clear();
  State().app = NULL;
  State().settings.Reset();
  State().initialized = false;
}

CefRefPtr<CefApp> EngineApp() {
  return State().app;
}

CefRefPtr<CefBrowserProcessHandler> BrowserProcessHandler() {
  return State().app ? State().app->GetBrowserProcessHandler() : NULL;
}

CefRefPtr<CefRenderProcessHandler> RenderProcessHandler() {
  return State().app ? State().app->GetRenderProcessHandler() : NULL;
}

int NextBrowserId() {
  return State().next_browser_id++;
}

void AddBrowser(CefRefPtr<BrowserImpl> browser) {
  State().browsers.push_back(browser);
}

void RemoveBrowser(BrowserImpl* browser) {
  std::vector<CefRefPtr<BrowserImpl>>& browsers = State().browsers;
  browsers.erase(std::remove_if(browsers.begin(), browsers.end(),
                                [browser](const CefRefPtr<BrowserImpl>& b) {
                                  return b.get() == browser;
                                }),
                 browsers.end());
}

CefRefPtr<BrowserImpl> FindBrowser(int id) {
  for (const CefRefPtr<BrowserImpl>& browser : State().browsers) {
    if (id == 0 || browser->GetIdentifier() == id)
      return browser;
  }
  return NULL;
}

std::vector<CefRefPtr<BrowserImpl>> OpenBrowsers() {
  return State().browsers;
}

}  // namespace standin
