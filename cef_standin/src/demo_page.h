// What the page window draws in place of a web page: a small page of its own
// that drives the client the way a page would. Its buttons call the main
// frame's window.cefQuery (the page channel's query path), and it lists the
// last requests with their answers. It knows nothing of any client's
// commands beyond the request texts on its buttons. UI thread.
#ifndef CEF_STANDIN_SRC_DEMO_PAGE_H_
#define CEF_STANDIN_SRC_DEMO_PAGE_H_

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

namespace standin {

class BrowserImpl;

// UTF-8 to UTF-16 for drawing; invalid bytes become U+FFFD.
std::wstring Widen(const std::string& utf8);

struct DemoButton {
  std::string label;
  std::string request;
  RECT rect;  // in the page window's client area
  bool on_press;  // sent when the button is pressed, not on release (a drag)
};

struct DemoLogEntry {
  std::string request;
  int query = 0;       // the id cefQuery returned, 0 when it was not called
  std::string refusal;  // why cefQuery was not called
};

class DemoPage {
 public:
  DemoPage();

  const std::vector<DemoButton>& buttons() const { return buttons_; }
  // Newest last; at most kLogLength.
  const std::deque<DemoLogEntry>& log() const { return log_; }
  static constexpr std::size_t kLogLength = 10;

  void Paint(HDC dc, const RECT& area, BrowserImpl* browser) const;
  // Mouse input at |point|; true when the page needs repainting.
  bool MouseDown(POINT point, BrowserImpl* browser);
  bool MouseUp(POINT point, BrowserImpl* browser);
  // The text one log line shows, as the list draws it.
  static std::string Describe(const DemoLogEntry& entry);

 private:
  void Send(const DemoButton& button, BrowserImpl* browser);

  std::vector<DemoButton> buttons_;
  std::deque<DemoLogEntry> log_;
  int pressed_ = -1;
};

}  // namespace standin

#endif  // CEF_STANDIN_SRC_DEMO_PAGE_H_
