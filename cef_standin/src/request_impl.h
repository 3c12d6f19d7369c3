// A request as the stand-in describes a navigation to OnBeforeBrowse.
#ifndef CEF_STANDIN_SRC_REQUEST_IMPL_H_
#define CEF_STANDIN_SRC_REQUEST_IMPL_H_

#include <string>

#include "include/cef_request.h"

namespace standin {

// A read-only GET request for url, as a handler sees a navigation.
CefRefPtr<CefRequest> NavigationRequest(const std::string& url, bool main_frame,
                                        cef_transition_type_t transition);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_REQUEST_IMPL_H_
