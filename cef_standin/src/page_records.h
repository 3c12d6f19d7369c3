// What the page operations remember between calls (the queries sent through
// them), forgotten at CefShutdown.
#ifndef CEF_STANDIN_SRC_PAGE_RECORDS_H_
#define CEF_STANDIN_SRC_PAGE_RECORDS_H_

#include <cstdint>

namespace standin {

void ClearPageRecords();

// Every answer the page hears counts as a change, so that a channel request
// waiting for one returns at once instead of at its next poll.
void NotifyPageChanged();
std::uint64_t PageChangeCount();
// Waits up to ms for a change after the count `seen`; true when one came.
bool WaitForPageChange(std::uint64_t seen, int ms);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_PAGE_RECORDS_H_
