// The host view of a stand-in browser. It keeps no state of its own: every call
// goes to the browser, so a fresh host per GetHost call is as good as one.
#ifndef CEF_STANDIN_SRC_BROWSER_HOST_IMPL_H_
#define CEF_STANDIN_SRC_BROWSER_HOST_IMPL_H_

#include <vector>

#include "browser_impl.h"
#include "include/cef_browser.h"

namespace standin {

// A browser with its windows, registered; null when its window cannot be
// made. UI thread; it comes to life with BrowserImpl::Start.
CefRefPtr<BrowserImpl> MakeBrowser(const CefWindowInfo& window_info,
                                   CefRefPtr<CefClient> client,
                                   const CefBrowserSettings& settings, bool is_popup);

class BrowserHostImpl : public CefBrowserHost {
 public:
  explicit BrowserHostImpl(CefRefPtr<BrowserImpl> browser);

  // CefBrowserHost methods:
  CefRefPtr<CefBrowser> GetBrowser() override;
  void CloseBrowser(bool force_close) override;
  void SetFocus(bool focus) override;
  void SetWindowVisibility(bool visible) override;
  CefWindowHandle GetWindowHandle() override;
  CefWindowHandle GetOpenerWindowHandle() override;
  CefRefPtr<CefClient> GetClient() override;
  CefRefPtr<CefRequestContext> GetRequestContext() override;
  double GetZoomLevel() override;
  void SetZoomLevel(double zoomLevel) override;
  void RunFileDialog(FileDialogMode mode, const CefString& title,
                     const CefString& default_file_path,
                     const std::vector<CefString>& accept_filters,
                     int selected_accept_filter,
                     CefRefPtr<CefRunFileDialogCallback> callback) override;
  void StartDownload(const CefString& url) override;
  void Print() override;
  void PrintToPDF(const CefString& path, const CefPdfPrintSettings& settings,
                  CefRefPtr<CefPdfPrintCallback> callback) override;
  void Find(int identifier, const CefString& searchText, bool forward,
            bool matchCase, bool findNext) override;
  void StopFinding(bool clearSelection) override;
  void ShowDevTools(const CefWindowInfo& windowInfo,
                    CefRefPtr<CefClient> client,
                    const CefBrowserSettings& settings,
                    const CefPoint& inspect_element_at) override;
  void CloseDevTools() override;
  void GetNavigationEntries(CefRefPtr<CefNavigationEntryVisitor> visitor,
                            bool current_only) override;
  void SetMouseCursorChangeDisabled(bool disabled) override;
  bool IsMouseCursorChangeDisabled() override;
  void ReplaceMisspelling(const CefString& word) override;
  void AddWordToDictionary(const CefString& word) override;
  bool IsWindowRenderingDisabled() override;
  void WasResized() override;
  void WasHidden(bool hidden) override;
  void NotifyScreenInfoChanged() override;
  void Invalidate(PaintElementType type) override;
  void SendKeyEvent(const CefKeyEvent& event) override;
  void SendMouseClickEvent(const CefMouseEvent& event, MouseButtonType type,
                           bool mouseUp, int clickCount) override;
  void SendMouseMoveEvent(const CefMouseEvent& event, bool mouseLeave) override;
  void SendMouseWheelEvent(const CefMouseEvent& event, int deltaX,
                           int deltaY) override;
  void SendFocusEvent(bool setFocus) override;
  void SendCaptureLostEvent() override;
  void NotifyMoveOrResizeStarted() override;
  int GetWindowlessFrameRate() override;
  void SetWindowlessFrameRate(int frame_rate) override;
  CefTextInputContext GetNSTextInputContext() override;
  void HandleKeyEventBeforeTextInputClient(CefEventHandle keyEvent) override;
  void HandleKeyEventAfterTextInputClient(CefEventHandle keyEvent) override;
  void DragTargetDragEnter(CefRefPtr<CefDragData> drag_data,
                           const CefMouseEvent& event,
                           DragOperationsMask allowed_ops) override;
  void DragTargetDragOver(const CefMouseEvent& event,
                          DragOperationsMask allowed_ops) override;
  void DragTargetDragLeave() override;
  void DragTargetDrop(const CefMouseEvent& event) override;
  void DragSourceEndedAt(int x, int y, DragOperationsMask op) override;
  void DragSourceSystemDragEnded() override;

 private:
  const CefRefPtr<BrowserImpl> browser_;
  bool cursor_change_disabled_ = false;

  IMPLEMENT_REFCOUNTING(BrowserHostImpl);
};

}  // namespace standin

#endif  // CEF_STANDIN_SRC_BROWSER_HOST_IMPL_H_
