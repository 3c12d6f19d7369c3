#include "demo_page.h"

#include <string>

#include "browser_impl.h"
#include "frame_impl.h"
#include "standin/page.h"

namespace standin {

namespace {

struct ButtonSpec {
  const char* label;
  const char* request;
  bool on_press;
};

// Commands a game page of this launcher family sends; the engine itself only
// passes the texts on.
const ButtonSpec kButtons[] = {
    {"Memory figure", "app:getram", false},
    {"List logins", "acc:list", false},
    {"Add a test login", "acc:add:demo-player|demo%20secret", false},
    {"Read its password", "acc:getpass:demo-player", false},
    {"Delete it", "acc:del:demo-player", false},
    {"Mute", "app:mute", false},
    {"Unmute", "app:unmute", false},
    {"Zoom 80 %", "win:zoom:80", false},
    {"Zoom 100 %", "win:zoom:100", false},
    {"Zoom 150 %", "win:zoom:150", false},
    {"Full screen", "win:fullscreen", false},
    {"Minimise", "win:minimize", false},
    {"Maximise", "win:maximize", false},
    {"Drag: hold and move", "win:drag", true},
    {"Discord card text", "rpc:Playing on the stand-in|Demonstration page", false},
    {"Clear the cache (restart)", "app:clearcache", false},
    {"Close", "win:close", false},
};

constexpr int kMargin = 24;
constexpr int kButtonsTop = 280;  // below the text, away from where tests click to focus
constexpr int kButtonWidth = 230;
constexpr int kButtonHeight = 36;
constexpr int kGap = 12;
constexpr int kButtonsPerRow = 5;
constexpr int kLineHeight = 22;
constexpr std::size_t kShownAnswer = 90;

void Text(HDC dc, const std::string& text, int x, int y, int right) {
  RECT line = {x, y, right, y + kLineHeight};
  const std::wstring wide = Widen(text);
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &line,
            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

int Hit(const std::vector<DemoButton>& buttons, POINT point) {
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    if (PtInRect(&buttons[i].rect, point))
      return static_cast<int>(i);
  }
  return -1;
}

// What the main frame's current document ran: while its context was made,
// and after its load ended.
void ScriptsOfDocument(FrameImpl* frame, int* during, int* after) {
  *during = *after = 0;
  const int context = frame->context() ? frame->context()->id() : 0;
  if (!context)
    return;
  for (const ScriptRecord& script : frame->scripts()) {
    if (script.context == context)
      ++(script.after_load ? *after : *during);
  }
}

std::string Shortened(const std::string& text) {
  return text.size() <= kShownAnswer ? text : text.substr(0, kShownAnswer) + "...";
}

}  // namespace

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty())
    return std::wstring();
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (size <= 0)
    return std::wstring();
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], size);
  return wide;
}

DemoPage::DemoPage() {
  int index = 0;
  for (const ButtonSpec& spec : kButtons) {
    const int row = index / kButtonsPerRow;
    const int column = index % kButtonsPerRow;
    const int left = kMargin + column * (kButtonWidth + kGap);
    const int top = kButtonsTop + row * (kButtonHeight + kGap);
    buttons_.push_back(
        {spec.label, spec.request, {left, top, left + kButtonWidth, top + kButtonHeight},
         spec.on_press});
    ++index;
  }
}

std::string DemoPage::Describe(const DemoLogEntry& entry) {
  if (entry.query == 0)
    return entry.request + "  -> not sent: " + entry.refusal;
  QueryRecord record;
  if (!GetQuery(entry.query, &record).ok() || record.request != entry.request)
    return "#" + std::to_string(entry.query) + " " + entry.request + "  -> (no record)";
  std::string line = "#" + std::to_string(entry.query) + " " + entry.request + "  -> " +
                     QueryStateName(record.state);
  if (record.state == QueryState::kSuccess && !record.responses.empty())
    line += " \"" + Shortened(record.responses.back()) + "\"";
  if (record.has_error)
    line += " " + std::to_string(record.error_code) + " \"" + record.error_message + "\"";
  return line;
}

void DemoPage::Paint(HDC dc, const RECT& area, BrowserImpl* browser) const {
  FillRect(dc, &area, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ old_font = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  const int right = area.right - kMargin;
  int y = 16;
  FrameImpl* main = browser ? browser->main_frame().get() : nullptr;
  Text(dc, main ? main->url() : std::string(), kMargin, y, right);
  y += kLineHeight;
  Text(dc,
       "no web renderer: the test engine draws this page. Its buttons call the page's own "
       "window.cefQuery, as the game's pages do, and the list below shows the answers.",
       kMargin, y, right);
  y += kLineHeight * 2;
  if (main) {
    int during = 0, after = 0;
    ScriptsOfDocument(main, &during, &after);
    std::vector<FrameInfo> frames;
    const bool has_query = ListFrames(browser->GetIdentifier(), &frames).ok() &&
                           !frames.empty() && frames.front().has_query;
    Text(dc, std::string("window.cefQuery in this page: ") + (has_query ? "yes" : "no"), kMargin,
         y, right);
    y += kLineHeight;
    Text(dc,
         "Scripts run while the page's context was made (the page environment script): " +
             std::to_string(during),
         kMargin, y, right);
    y += kLineHeight;
    Text(dc,
         "Scripts run after the load ended (the embedded page script): " + std::to_string(after),
         kMargin, y, right);
  }

  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    RECT rect = buttons_[i].rect;
    DrawFrameControl(dc, &rect, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (static_cast<int>(i) == pressed_ ? DFCS_PUSHED : 0));
    const std::wstring label = Widen(buttons_[i].label);
    DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }

  y = buttons_.back().rect.bottom + 2 * kGap;
  Text(dc, "Last requests, newest last:", kMargin, y, right);
  y += kLineHeight;
  for (const DemoLogEntry& entry : log_) {
    Text(dc, Describe(entry), kMargin + 12, y, right);
    y += kLineHeight;
  }
  SelectObject(dc, old_font);
}

bool DemoPage::MouseDown(POINT point, BrowserImpl* browser) {
  pressed_ = Hit(buttons_, point);
  if (pressed_ >= 0 && buttons_[pressed_].on_press) {
    // The client's drag needs the button still held: send at once.
    Send(buttons_[pressed_], browser);
    pressed_ = -1;
  }
  return true;
}

bool DemoPage::MouseUp(POINT point, BrowserImpl* browser) {
  const int released = Hit(buttons_, point);
  const int pressed = pressed_;
  pressed_ = -1;
  if (pressed >= 0 && released == pressed)
    Send(buttons_[pressed], browser);
  return pressed >= 0;
}

void DemoPage::Send(const DemoButton& button, BrowserImpl* browser) {
  DemoLogEntry entry;
  entry.request = button.request;
  if (!browser) {
    entry.refusal = "no browser";
  } else {
    const Status status =
        SendQuery(browser->GetIdentifier(), 0, button.request, false, &entry.query);
    if (!status.ok()) {
      entry.query = 0;
      entry.refusal = status.error;
    }
  }
  log_.push_back(entry);
  while (log_.size() > kLogLength)
    log_.pop_front();
}

}  // namespace standin
