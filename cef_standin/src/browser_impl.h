// A stand-in browser: its windows, frame tree, loading state, renderer, close
// path and what the page and the user did to it (keys, pop-ups). UI thread
// only, except the CefBrowser calls that 2623 allows from any thread
// (identity, GetMainFrame, GetFrame, the frame lists, IsLoading, Reload),
// which are safe anywhere.
#ifndef CEF_STANDIN_SRC_BROWSER_IMPL_H_
#define CEF_STANDIN_SRC_BROWSER_IMPL_H_

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "frame_impl.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"
#include "standin/page.h"

namespace standin {

class BrowserImpl : public CefBrowser {
 public:
  BrowserImpl(int id, CefRefPtr<CefClient> client,
              const CefBrowserSettings& settings, bool is_popup);
  ~BrowserImpl() override;

  // Creates the browser window and the page window inside it.
  bool CreateWindows(const CefWindowInfo& info);
  // Runs OnAfterCreated and starts loading url.
  void Start(const std::string& url);

  HWND window() const { return window_; }
  HWND page_window() const { return page_window_; }
  CefRefPtr<CefClient> client() const { return client_; }
  bool closed() const { return closed_; }
  bool loading() const { return loading_count_ > 0; }

  // Frames, main first then sub-frames in creation order. Any thread.
  CefRefPtr<FrameImpl> main_frame() const { return main_frame_; }
  std::vector<CefRefPtr<FrameImpl>> frames() const;
  CefRefPtr<FrameImpl> FindFrame(int64 id) const;
  CefRefPtr<FrameImpl> AddSubFrame(CefRefPtr<FrameImpl> parent,
                                   const std::string& name);
  // Removes the frame's sub-frames, innermost first. notify_renderer: the
  // renderer side hears of each context that goes (false: it died with them).
  void DropSubFrames(FrameImpl* parent, bool notify_renderer = true);

  // The renderer process of this browser. A crash ends it: every script
  // context goes without a word to the renderer side, sub-frames go, loads
  // under way end, and the request handler's OnRenderProcessTerminated
  // follows. The next main-frame navigation starts a new renderer, one
  // generation later, whose router state starts afresh; messages of an older
  // generation are dropped.
  bool renderer_alive() const { return renderer_alive_; }
  int renderer_generation() const { return renderer_generation_; }  // any thread
  void CrashRenderer();
  void CrashPlugin(const std::string& plugin_path);
  void StartRendererIfGone();
  // The main frame's URL changed; the page window shows it.
  void MainUrlChanged();

  // A frame started (+1) or finished (-1) loading. OnLoadingStateChange follows
  // from NotifyLoadingState, which a navigation's steps call.
  void ChangeLoading(int delta);
  void NotifyLoadingState();

  // Keys arriving at the page window. True when the message was handled.
  bool OnPageKey(UINT message, WPARAM wparam, LPARAM lparam);
  const std::vector<KeyRecord>& page_keys() const { return page_keys_; }

  // OnBeforePopup runs on the IO thread, as in 2623, while this thread goes
  // on; the record (index returned) is done when the answer came back here.
  // A null frame is handed to OnBeforePopup as it is.
  int RequestPopup(CefRefPtr<FrameImpl> frame, const PopupRequest& request);
  const std::vector<PopupRecord>& popups() const { return popups_; }

  // Close path: WM_CLOSE on the browser window asks DoClose; the destroyed
  // window leads to OnBeforeClose.
  void CloseBrowser(bool force_close);
  bool OnWindowClose();  // true: go on and destroy the window
  void OnWindowDestroyed();
  // CefShutdown with the browser still open: the windows go, no callbacks run.
  void Abandon();

  // CefBrowser methods:
  CefRefPtr<CefBrowserHost> GetHost() override;
  bool CanGoBack() override;
  void GoBack() override;
  bool CanGoForward() override;
  void GoForward() override;
  bool IsLoading() override;
  void Reload() override;
  void ReloadIgnoreCache() override;
  void StopLoad() override;
  int GetIdentifier() override;
  bool IsSame(CefRefPtr<CefBrowser> that) override;
  bool IsPopup() override;
  bool HasDocument() override;
  CefRefPtr<CefFrame> GetMainFrame() override;
  CefRefPtr<CefFrame> GetFocusedFrame() override;
  CefRefPtr<CefFrame> GetFrame(int64 identifier) override;
  CefRefPtr<CefFrame> GetFrame(const CefString& name) override;
  size_t GetFrameCount() override;
  void GetFrameIdentifiers(std::vector<int64>& identifiers) override;
  void GetFrameNames(std::vector<CefString>& names) override;
  bool SendProcessMessage(CefProcessId target_process,
                          CefRefPtr<CefProcessMessage> message) override;

 private:
  void FinishClose();
  // The renderer side's part of the close: contexts released, the browser
  // destroyed, the browser forgotten.
  void ReleaseRendererSide();
  void DestroyWindows();
  void FinishPopup(int index, bool canceled, const CefWindowInfo& window_info,
                   CefRefPtr<CefClient> client, const CefBrowserSettings& settings);

  const int id_;
  const CefRefPtr<CefClient> client_;
  const CefBrowserSettings settings_;
  const bool is_popup_;
  HWND window_ = nullptr;       // the browser window
  HWND page_window_ = nullptr;  // child of window_
  mutable std::mutex frames_lock_;  // changes to frames_; reads off this thread
  std::vector<CefRefPtr<FrameImpl>> frames_;
  const CefRefPtr<FrameImpl> main_frame_;
  int next_frame_ = 1;
  std::atomic<int> loading_count_{0};
  bool loading_notified_ = false;
  std::atomic<bool> renderer_alive_{true};
  std::atomic<int> renderer_generation_{1};
  bool close_asked_ = false;  // DoClose ran and kept the window
  bool closing_ = false;      // the window is being destroyed
  bool closed_ = false;       // OnBeforeClose ran
  bool renderer_released_ = false;  // the renderer side's part of the close ran
  std::vector<KeyRecord> page_keys_;
  std::vector<PopupRecord> popups_;

  IMPLEMENT_REFCOUNTING(BrowserImpl);
};

}  // namespace standin

#endif  // CEF_STANDIN_SRC_BROWSER_IMPL_H_
