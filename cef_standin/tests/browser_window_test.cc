// The browser's real windows: made from CefWindowInfo, the page window inside,
// and the close path from WM_CLOSE to OnBeforeClose and the end of the loop.

#include <windows.h>

#include <string>

#include <thread>

#include "engine_fixture.h"

namespace standin_test {
namespace {

class BrowserWindowTest : public EngineTest {
 protected:
  CefRefPtr<CefBrowser> Create(const CefWindowInfo& info) {
    EXPECT_TRUE(CefBrowserHost::CreateBrowser(info, client_.get(), "https://w.example/",
                                              CefBrowserSettings(), NULL));
    EXPECT_FALSE(client_->browser) << "creation is asynchronous";
    Pump([&] { return client_->browser.get() != nullptr; });
    return client_->browser;
  }
};

TEST_F(BrowserWindowTest, WindowTakesStylesGeometryAndTitleFromWindowInfo) {
  struct Case {
    const char* name;
    DWORD style;
    DWORD ex_style;
    RECT rect;  // left, top, right, bottom
    DWORD system_adds;  // bits Windows itself adds to such a style
  };
  const Case cases[] = {
      {"popup", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_THICKFRAME, WS_EX_TOOLWINDOW,
       {30, 40, 30 + 640, 40 + 480}, 0},
      // An overlapped window always gets a caption from the system; CEF passes
      // the style through just the same.
      {"overlapped without caption",
       WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_SYSMENU | WS_THICKFRAME |
           WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
       0, {320, 140, 320 + 1280, 140 + 800}, WS_CAPTION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    client_ = new TestClient();
    CefWindowInfo info;
    info.style = c.style;
    info.ex_style = c.ex_style;
    info.x = c.rect.left;
    info.y = c.rect.top;
    info.width = c.rect.right - c.rect.left;
    info.height = c.rect.bottom - c.rect.top;
    CefString(&info.window_name) = "Zelmora \xC3\xA7 test";
    CefRefPtr<CefBrowser> browser = Create(info);
    ASSERT_TRUE(browser);

    HWND window = browser->GetHost()->GetWindowHandle();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(GetAncestor(window, GA_ROOT), window) << "no parent: a top-level window";
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
              c.style | c.system_adds | WS_CLIPSIBLINGS);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)) & c.ex_style, c.ex_style);
    RECT rect = {};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, c.rect.left);
    EXPECT_EQ(rect.top, c.rect.top);
    EXPECT_EQ(rect.right, c.rect.right);
    EXPECT_EQ(rect.bottom, c.rect.bottom);
    wchar_t title[64] = {};
    GetWindowTextW(window, title, 64);
    EXPECT_EQ(std::wstring(title), L"Zelmora \u00e7 test");

    std::vector<standin::BrowserInfo> open = standin::ListBrowsers();
    ASSERT_EQ(open.size(), 1u);
    HWND page = reinterpret_cast<HWND>(open[0].page_hwnd);
    EXPECT_EQ(GetParent(page), window);
    RECT client = {}, page_rect = {};
    GetClientRect(window, &client);
    GetClientRect(page, &page_rect);
    EXPECT_EQ(page_rect.right, client.right);
    EXPECT_EQ(page_rect.bottom, client.bottom);

    browser->GetHost()->CloseBrowser(true);
    Pump([&] { return client_->closed; });
    EXPECT_FALSE(IsWindow(window));
  }
}

TEST_F(BrowserWindowTest, CreateBrowserRefusesSettingsOfAnotherSize) {
  CefBrowserSettings settings;
  settings.size += 1;
  CefWindowInfo info;
  EXPECT_FALSE(CefBrowserHost::CreateBrowser(info, client_.get(), "https://w.example/",
                                             settings, NULL));
  Settle();
  EXPECT_FALSE(client_->browser);
}

TEST_F(BrowserWindowTest, CloseGoesThroughDoCloseAndEndsTheLoop) {
  CefRefPtr<CefBrowser> browser = Open();
  HWND window = browser->GetHost()->GetWindowHandle();
  client_->quit_on_close = true;
  Events().clear();
  PostMessageW(window, WM_CLOSE, 0, 0);
  CefRunMessageLoop();  // returns only through CefQuitMessageLoop in OnBeforeClose
  EXPECT_EQ(EventsStartingWith({"DoClose", "OnBeforeClose", "OnContextReleased"}),
            (std::vector<std::string>{"DoClose", "OnBeforeClose",
                                      "OnContextReleased " + Id(MainFrameId())}));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(standin::ListBrowsers().empty());
}

TEST_F(BrowserWindowTest, DoCloseReturningTrueKeepsTheWindowUntilTheNextClose) {
  CefRefPtr<CefBrowser> browser = Open();
  HWND window = browser->GetHost()->GetWindowHandle();
  client_->do_close = true;
  Events().clear();
  SendMessageW(window, WM_CLOSE, 0, 0);
  Settle();
  EXPECT_TRUE(IsWindow(window));
  EXPECT_FALSE(client_->closed);
  SendMessageW(window, WM_CLOSE, 0, 0);
  Pump([&] { return client_->closed; });
  EXPECT_EQ(EventsStartingWith({"DoClose", "OnBeforeClose"}),
            (std::vector<std::string>{"DoClose", "OnBeforeClose"}));
}

// Chromium 49 keeps zoom per host: a page of another host shows its own level.
TEST_F(BrowserWindowTest, ZoomIsKeptPerHost) {
  CefRefPtr<CefBrowser> browser = Open("https://site.example/a");
  auto go = [&](const std::string& url) {
    Events().clear();
    browser->GetMainFrame()->LoadURL(url);
    Pump([&] { return Happened("OnLoadingStateChange 0"); });
  };
  EXPECT_EQ(browser->GetHost()->GetZoomLevel(), 0.0);
  browser->GetHost()->SetZoomLevel(-3.8);
  double level = 0;
  ASSERT_TRUE(standin::ZoomLevel(BrowserId(), &level).ok());
  EXPECT_EQ(level, -3.8);
  go("https://other.example/");
  EXPECT_EQ(browser->GetHost()->GetZoomLevel(), 0.0) << "another host, its own level";
  browser->GetHost()->SetZoomLevel(2.0);
  go("https://user@SITE.example:8443/b?x#y");
  EXPECT_EQ(browser->GetHost()->GetZoomLevel(), -3.8) << "same host, any path, port or case";
  double off_ui = 1;
  std::thread([&] { off_ui = browser->GetHost()->GetZoomLevel(); }).join();
  EXPECT_EQ(off_ui, 0.0) << "2623 answers only on the UI thread";
  std::thread([&] { browser->GetHost()->SetZoomLevel(1.0); }).join();
  EXPECT_EQ(browser->GetHost()->GetZoomLevel(), -3.8) << "applied later, on the UI thread";
  Settle();
  EXPECT_EQ(browser->GetHost()->GetZoomLevel(), 1.0);
  go("https://other.example/");
  EXPECT_EQ(browser->GetHost()->GetZoomLevel(), 2.0);
}

}  // namespace
}  // namespace standin_test
