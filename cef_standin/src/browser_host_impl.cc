#include "browser_host_impl.h"

#include <windows.h>

#include <memory>
#include <string>

#include "engine.h"
#include "include/cef_client.h"
#include "ui_thread.h"

namespace standin {

namespace {

// Set to 1, every browser creation is refused, so that tests can see how an
// application copes with an engine that cannot make its browser.
bool CreationRefusedForTests() {
  wchar_t value[2] = {};
  return GetEnvironmentVariableW(L"ZLM_STANDIN_REFUSE_BROWSERS", value, 2) == 1 &&
         value[0] == L'1';
}

// Both CreateBrowser forms refuse what the real engine refuses: no engine, a
// settings struct of another size, or a call off the UI thread for the sync form.
bool CanCreate(const CefBrowserSettings& settings) {
  return EngineInitialized() && settings.size == sizeof(cef_browser_settings_t) &&
         !CreationRefusedForTests();
}

}  // namespace

CefRefPtr<BrowserImpl> MakeBrowser(const CefWindowInfo& window_info,
                                   CefRefPtr<CefClient> client,
                                   const CefBrowserSettings& settings, bool is_popup) {
  CefRefPtr<BrowserImpl> browser =
      new BrowserImpl(NextBrowserId(), client, settings, is_popup);
  if (!browser->CreateWindows(window_info))
    return NULL;
  AddBrowser(browser);
  return browser;
}

BrowserHostImpl::BrowserHostImpl(CefRefPtr<BrowserImpl> browser)
    : browser_(browser) {}

CefRefPtr<CefBrowser> BrowserHostImpl::GetBrowser() {
  return browser_.get();
}

void BrowserHostImpl::CloseBrowser(bool force_close) {
  CefRefPtr<BrowserImpl> browser = browser_;
  if (OnUiThread())
    browser->CloseBrowser(force_close);
  else
    PostUiTask([browser, force_close] { browser->CloseBrowser(force_close); });
}

void BrowserHostImpl::SetFocus(bool focus) {
  if (focus && browser_->page_window())
    ::SetFocus(browser_->page_window());
}

void BrowserHostImpl::SetWindowVisibility(bool visible) {
  if (browser_->window())
    ShowWindow(browser_->window(), visible ? SW_SHOW : SW_HIDE);
}

CefWindowHandle BrowserHostImpl::GetWindowHandle() {
  return browser_->window();
}

CefWindowHandle BrowserHostImpl::GetOpenerWindowHandle() {
  return nullptr;
}

CefRefPtr<CefClient> BrowserHostImpl::GetClient() {
  return browser_->client();
}

CefRefPtr<CefRequestContext> BrowserHostImpl::GetRequestContext() {
  return NULL;
}

// 2623 answers only on the UI thread (0 elsewhere), and applies a change made
// elsewhere later, on the UI thread. Both act on the host of the page shown.
double BrowserHostImpl::GetZoomLevel() {
  return OnUiThread() ? HostZoomLevel(browser_->main_frame()->url()) : 0.0;
}

void BrowserHostImpl::SetZoomLevel(double zoomLevel) {
  CefRefPtr<BrowserImpl> browser = browser_;
  auto apply = [browser, zoomLevel] {
    if (!browser->closed())
      SetHostZoomLevel(browser->main_frame()->url(), zoomLevel);
  };
  if (OnUiThread())
    apply();
  else
    PostUiTask(apply);
}

// What follows needs a renderer, a network or a windowless view; the stand-in
// has none of them, so these do nothing, and callbacks are told so.
void BrowserHostImpl::RunFileDialog(FileDialogMode, const CefString&,
                                    const CefString&,
                                    const std::vector<CefString>&, int,
                                    CefRefPtr<CefRunFileDialogCallback> callback) {
  if (callback) {
    PostUiTask([callback] {
      callback->OnFileDialogDismissed(0, std::vector<CefString>());
    });
  }
}

void BrowserHostImpl::StartDownload(const CefString&) {}
void BrowserHostImpl::Print() {}

void BrowserHostImpl::PrintToPDF(const CefString& path,
                                 const CefPdfPrintSettings&,
                                 CefRefPtr<CefPdfPrintCallback> callback) {
  if (callback) {
    CefString target = path;
    PostUiTask([callback, target] { callback->OnPdfPrintFinished(target, false); });
  }
}

void BrowserHostImpl::Find(int, const CefString&, bool, bool, bool) {}
void BrowserHostImpl::StopFinding(bool) {}
void BrowserHostImpl::ShowDevTools(const CefWindowInfo&, CefRefPtr<CefClient>,
                                   const CefBrowserSettings&, const CefPoint&) {}
void BrowserHostImpl::CloseDevTools() {}
void BrowserHostImpl::GetNavigationEntries(CefRefPtr<CefNavigationEntryVisitor>,
                                           bool) {}

void BrowserHostImpl::SetMouseCursorChangeDisabled(bool disabled) {
  cursor_change_disabled_ = disabled;
}

bool BrowserHostImpl::IsMouseCursorChangeDisabled() {
  return cursor_change_disabled_;
}

void BrowserHostImpl::ReplaceMisspelling(const CefString&) {}
void BrowserHostImpl::AddWordToDictionary(const CefString&) {}

bool BrowserHostImpl::IsWindowRenderingDisabled() {
  return false;
}

void BrowserHostImpl::WasResized() {}
void BrowserHostImpl::WasHidden(bool) {}
void BrowserHostImpl::NotifyScreenInfoChanged() {}
void BrowserHostImpl::Invalidate(PaintElementType) {}
void BrowserHostImpl::SendKeyEvent(const CefKeyEvent&) {}
void BrowserHostImpl::SendMouseClickEvent(const CefMouseEvent&, MouseButtonType,
                                          bool, int) {}
void BrowserHostImpl::SendMouseMoveEvent(const CefMouseEvent&, bool) {}
void BrowserHostImpl::SendMouseWheelEvent(const CefMouseEvent&, int, int) {}
void BrowserHostImpl::SendFocusEvent(bool) {}
void BrowserHostImpl::SendCaptureLostEvent() {}
void BrowserHostImpl::NotifyMoveOrResizeStarted() {}

int BrowserHostImpl::GetWindowlessFrameRate() {
  return 0;
}

void BrowserHostImpl::SetWindowlessFrameRate(int) {}

CefTextInputContext BrowserHostImpl::GetNSTextInputContext() {
  return nullptr;
}

void BrowserHostImpl::HandleKeyEventBeforeTextInputClient(CefEventHandle) {}
void BrowserHostImpl::HandleKeyEventAfterTextInputClient(CefEventHandle) {}
void BrowserHostImpl::DragTargetDragEnter(CefRefPtr<CefDragData>,
                                          const CefMouseEvent&,
                                          DragOperationsMask) {}
void BrowserHostImpl::DragTargetDragOver(const CefMouseEvent&,
                                         DragOperationsMask) {}
void BrowserHostImpl::DragTargetDragLeave() {}
void BrowserHostImpl::DragTargetDrop(const CefMouseEvent&) {}
void BrowserHostImpl::DragSourceEndedAt(int, int, DragOperationsMask) {}
void BrowserHostImpl::DragSourceSystemDragEnded() {}

}  // namespace standin

bool CefBrowserHost::CreateBrowser(const CefWindowInfo& windowInfo,
                                   CefRefPtr<CefClient> client,
                                   const CefString& url,
                                   const CefBrowserSettings& settings,
                                   CefRefPtr<CefRequestContext> /*request_context*/) {
  if (!standin::CanCreate(settings))
    return false;
  // The browser comes to life later, from the message loop, as with the real
  // engine; the window info and settings are copied for that moment.
  auto info = std::make_shared<CefWindowInfo>(windowInfo);
  auto copy = std::make_shared<CefBrowserSettings>(settings);
  std::string target = url.ToString();
  return standin::PostUiTask([info, client, target, copy] {
    if (!standin::EngineInitialized())
      return;
    CefRefPtr<standin::BrowserImpl> browser =
        standin::MakeBrowser(*info, client, *copy, false);
    if (browser)
      browser->Start(target);
  });
}

CefRefPtr<CefBrowser> CefBrowserHost::CreateBrowserSync(
    const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
    const CefString& url, const CefBrowserSettings& settings,
    CefRefPtr<CefRequestContext> /*request_context*/) {
  if (!standin::CanCreate(settings) || !standin::OnUiThread())
    return NULL;
  CefRefPtr<standin::BrowserImpl> browser =
      standin::MakeBrowser(windowInfo, client, settings, false);
  if (browser)
    browser->Start(url.ToString());
  return browser.get();
}
