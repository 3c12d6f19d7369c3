// The renderer-side routers alive in this process. A renderer process that
// dies takes its router's memory with it; the stand-in, whose routers outlive
// a simulated crash, makes them forget that browser's renderer at once.
#ifndef CEF_STANDIN_SRC_RENDERER_ROUTERS_H_
#define CEF_STANDIN_SRC_RENDERER_ROUTERS_H_

namespace standin {

// UI thread. Pending requests of the browser's renderer end without a page
// callback, as they would with their process.
void ForgetRendererOfBrowser(int browser_id);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_RENDERER_ROUTERS_H_
