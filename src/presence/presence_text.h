// The two lines of the Discord card and the SET_ACTIVITY command that carries
// them. The page sets the text on CEF's UI thread; the presence thread reads
// it whenever it announces the activity.

#ifndef ZLM_PRESENCE_PRESENCE_TEXT_H_
#define ZLM_PRESENCE_PRESENCE_TEXT_H_

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

inline constexpr char kDefaultPresenceDetails[] = "Zelmora 5.5 PvP";
inline constexpr char kDefaultPresenceState[] = "Oyunda";

// Guards presenceDetails and presenceState, nothing else. Never held across
// pipe I/O or JSON building.
extern std::mutex presenceMutex;
extern std::string presenceDetails;  // first line of the card
extern std::string presenceState;    // second line of the card
// Raised by SetPresenceText, taken by the presence thread with an exchange.
extern std::atomic<bool> presenceDirty;
// Seconds since the Unix epoch; set once by the presence thread when it starts.
extern std::atomic<std::int64_t> presenceStartTime;

// The page's two fields: |first|, and when |second| is not empty, " - Savaş G:"
// and |second|. An empty result restores the default line. Always raises
// presenceDirty, so even an unchanged text is sent again. Discord refuses a
// line shorter than 2 or longer than 128 characters (UTF-16 units) and keeps
// the old card, so a longer line is cut at 128 characters and a shorter one is
// replaced by the default line.
void SetPresenceText(const std::string& first, const std::string& second);

// The compact SET_ACTIVITY command for the current texts, presenceStartTime
// and the launcher's process |processId| (the process the card belongs to).
std::string BuildActivityJson(std::uint32_t processId);

#endif  // ZLM_PRESENCE_PRESENCE_TEXT_H_
