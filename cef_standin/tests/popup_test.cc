// Pop-up requests reach OnBeforePopup with all eleven parameters, on the IO
// thread as in 2623; the answer decides whether a pop-up browser opens.

#include <atomic>

#include "engine_fixture.h"

namespace standin_test {
namespace {

class PopupTest : public EngineTest {
 protected:
  // Asks for a pop-up and runs the loop until OnBeforePopup's answer is back.
  standin::PopupRecord Popup(int64 frame, const standin::PopupRequest& request) {
    int index = -1;
    standin::Status status = standin::RequestPopup(BrowserId(), frame, request, &index);
    EXPECT_TRUE(status.ok()) << status.error;
    std::vector<standin::PopupRecord> popups;
    Pump([&] {
      return standin::ListPopups(BrowserId(), &popups).ok() && index >= 0 &&
             index < static_cast<int>(popups.size()) && popups[index].done;
    });
    return index >= 0 && index < static_cast<int>(popups.size()) ? popups[index]
                                                                  : standin::PopupRecord();
  }
};

TEST_F(PopupTest, OnBeforePopupGetsTheRequestOnTheIoThreadAndDecides) {
  struct Case {
    bool from_sub_frame;
    bool no_frame;
    const char* target;
    int disposition;
    bool user_gesture;
    bool client_cancels;
  };
  const Case cases[] = {
      {false, false, "_blank", WOD_NEW_FOREGROUND_TAB, true, true},
      {true, false, "named", WOD_NEW_POPUP, false, false},
      {false, false, "", WOD_NEW_WINDOW, true, false},
      {false, true, "_blank", WOD_NEW_FOREGROUND_TAB, true, true},
  };
  Open();
  int64 sub = 0;
  int navigation = 0;
  ASSERT_TRUE(standin::AddFrame(BrowserId(), 0, "sub", "https://sub.example/", &sub,
                                &navigation).ok());
  Pump([&] { return standin::NavigationDone(navigation); });
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    client_->cancel_popups = c.client_cancels;
    Events().clear();
    standin::PopupRequest request;
    request.url = "https://pop.example/page";
    request.target = c.target;
    request.disposition = c.disposition;
    request.user_gesture = c.user_gesture;
    request.no_frame = c.no_frame;
    const int64 frame = c.from_sub_frame ? sub : MainFrameId();
    standin::PopupRecord record = Popup(frame, request);
    const int64 seen = c.no_frame ? 0 : frame;
    EXPECT_EQ(EventsStartingWith({"OnBeforePopup"}), std::vector<std::string>{
                            "OnBeforePopup " + Id(seen) + " https://pop.example/page '" +
                            c.target + "' " + std::to_string(c.disposition) + " " +
                            std::to_string(c.user_gesture) + " client=1 nojs=1 io=1 ui=0"});
    EXPECT_EQ(record.frame, seen);
    EXPECT_EQ(record.canceled, c.client_cancels);
    EXPECT_EQ(record.opened, !c.client_cancels);
    EXPECT_EQ(record.browser != 0, !c.client_cancels);
  }
  std::vector<standin::PopupRecord> popups;
  ASSERT_TRUE(standin::ListPopups(BrowserId(), &popups).ok());
  ASSERT_EQ(popups.size(), 4u);
  EXPECT_EQ(popups[1].frame, sub);
  // Each pop-up not canceled is a browser of its own: a window, OnAfterCreated
  // with the client the request's browser had, and a load of the target.
  Pump([&] { return client_->popups.size() == 2 && !client_->popups[1]->IsLoading(); });
  ASSERT_EQ(client_->popups.size(), 2u);
  EXPECT_EQ(standin::ListBrowsers().size(), 3u);
  for (const CefRefPtr<CefBrowser>& popup : client_->popups) {
    EXPECT_TRUE(popup->IsPopup());
    EXPECT_NE(popup->GetHost()->GetWindowHandle(), nullptr);
    EXPECT_EQ(popup->GetMainFrame()->GetURL().ToString(), "https://pop.example/page");
  }
  EXPECT_EQ(client_->popups[0]->GetIdentifier(), popups[1].browser);

  standin::PopupRequest bad;
  bad.disposition = 11;
  int unused = 0;
  EXPECT_EQ(standin::RequestPopup(BrowserId(), 0, bad, &unused).error, "bad field: disposition");
}

// The UI thread's loop goes on while OnBeforePopup runs, and what 2623 allows
// there (GetMainFrame, GetURL, LoadURL) works from the IO thread.
TEST_F(PopupTest, TheUiLoopRunsWhileOnBeforePopupWorksWithThreadSafeCalls) {
  Open("https://site.example/start");
  std::atomic<bool> ui_ran{false};
  std::string url_seen;
  client_->during_popup = [&] {
    struct Mark : public CefTask {
      std::atomic<bool>* flag;
      explicit Mark(std::atomic<bool>* f) : flag(f) {}
      void Execute() override { *flag = true; }
      IMPLEMENT_REFCOUNTING(Mark);
    };
    CefPostTask(TID_UI, new Mark(&ui_ran));
    for (int i = 0; i < 500 && !ui_ran; ++i)
      Sleep(10);
    CefRefPtr<CefFrame> main = client_->browser->GetMainFrame();
    url_seen = main->GetURL().ToString();
    main->LoadURL("https://site.example/from-io");
  };
  standin::PopupRequest request;
  request.url = "https://pop.example/";
  request.no_frame = true;
  standin::PopupRecord record = Popup(0, request);
  client_->during_popup = nullptr;
  EXPECT_TRUE(ui_ran) << "the UI thread was kept waiting by OnBeforePopup";
  EXPECT_EQ(url_seen, "https://site.example/start");
  EXPECT_TRUE(record.canceled);
  Pump([&] { return Happened("OnLoadStart " + Id(MainFrameId()) + " https://site.example/from-io"); });
}

}  // namespace
}  // namespace standin_test
