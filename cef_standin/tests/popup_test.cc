// Pop-up requests reach OnBeforePopup with all eleven parameters; the answer
// decides whether a pop-up window would have been opened.

#include "engine_fixture.h"

namespace standin_test {
namespace {

class PopupTest : public EngineTest {};

TEST_F(PopupTest, OnBeforePopupGetsTheRequestAndDecides) {
  struct Case {
    bool from_sub_frame;
    const char* target;
    int disposition;
    bool user_gesture;
    bool client_cancels;
  };
  const Case cases[] = {
      {false, "_blank", WOD_NEW_FOREGROUND_TAB, true, true},
      {true, "named", WOD_NEW_POPUP, false, false},
      {false, "", WOD_NEW_WINDOW, true, false},
  };
  Open();
  int64 sub = 0;
  int navigation = 0;
  ASSERT_TRUE(standin::AddFrame(BrowserId(), 0, "sub", "https://sub.example/", &sub,
                                &navigation).ok());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    client_->cancel_popups = c.client_cancels;
    Events().clear();
    standin::PopupRequest request;
    request.url = "https://pop.example/page";
    request.target = c.target;
    request.disposition = c.disposition;
    request.user_gesture = c.user_gesture;
    standin::PopupRecord record;
    const int64 frame = c.from_sub_frame ? sub : MainFrameId();
    ASSERT_TRUE(standin::RequestPopup(BrowserId(), frame, request, &record).ok());
    EXPECT_EQ(Events(), std::vector<std::string>{
                            "OnBeforePopup " + Id(frame) + " https://pop.example/page '" +
                            c.target + "' " + std::to_string(c.disposition) + " " +
                            std::to_string(c.user_gesture) + " client=1 nojs=1"});
    EXPECT_EQ(record.canceled, c.client_cancels);
    EXPECT_EQ(record.opened, !c.client_cancels);
  }
  std::vector<standin::PopupRecord> popups;
  ASSERT_TRUE(standin::ListPopups(BrowserId(), &popups).ok());
  ASSERT_EQ(popups.size(), 3u);
  EXPECT_EQ(popups[1].frame, sub);
  EXPECT_EQ(standin::ListBrowsers().size(), 1u) << "no pop-up window is made";

  standin::PopupRequest bad;
  bad.disposition = 11;
  standin::PopupRecord unused;
  EXPECT_EQ(standin::RequestPopup(BrowserId(), 0, bad, &unused).error, "bad field: disposition");
}

}  // namespace
}  // namespace standin_test
