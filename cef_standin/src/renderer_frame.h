// A frame as the renderer side sees it: what the render-process handler's
// callbacks and CefV8Context::GetFrame hand out. 2623's renderer frame answers
// only on the renderer thread (here the UI thread); from any other thread every
// call is refused: false, 0, an empty string or NULL, and nothing is done.
#ifndef CEF_STANDIN_SRC_RENDERER_FRAME_H_
#define CEF_STANDIN_SRC_RENDERER_FRAME_H_

#include "frame_impl.h"
#include "include/cef_frame.h"

namespace standin {

CefRefPtr<CefFrame> RendererFrame(CefRefPtr<FrameImpl> frame);

}  // namespace standin

#endif  // CEF_STANDIN_SRC_RENDERER_FRAME_H_
