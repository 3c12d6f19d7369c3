// The page channel: a named pipe, \\.\pipe\zlm-standin-<pid>, through which a
// test acts as the page and the user (protocol: cef_standin/README.md). A server
// thread accepts clients; each client gets a thread; all page work is marshalled
// to the UI thread.
#ifndef CEF_STANDIN_SRC_PAGE_CHANNEL_H_
#define CEF_STANDIN_SRC_PAGE_CHANNEL_H_

#include <string>

namespace standin {

std::wstring PageChannelName(unsigned long process_id);

// UI thread. Start returns once the first pipe instance exists, so a client may
// connect at once. Stop ends every connection and joins the threads.
bool StartPageChannel();
void StopPageChannel();

}  // namespace standin

#endif  // CEF_STANDIN_SRC_PAGE_CHANNEL_H_
