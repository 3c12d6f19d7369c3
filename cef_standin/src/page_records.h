// What the page operations remember between calls (the queries sent through
// them), forgotten at CefShutdown.
#ifndef CEF_STANDIN_SRC_PAGE_RECORDS_H_
#define CEF_STANDIN_SRC_PAGE_RECORDS_H_

namespace standin {

void ClearPageRecords();

}  // namespace standin

#endif  // CEF_STANDIN_SRC_PAGE_RECORDS_H_
