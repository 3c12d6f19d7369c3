// Forced into every source of libcef.dll, ahead of everything else: the engine
// and CEF's library-side translation are the library half of the real 2623
// headers, which open their library half only under BUILDING_CEF_SHARED. With
// that macro the SDK's base headers would include Chromium's own base/, which
// is not here, so they are included first, as the client sees them; their
// include guards then keep Chromium's headers out.
#ifndef CEF_STANDIN_SRC_LIBRARY_SIDE_H_
#define CEF_STANDIN_SRC_LIBRARY_SIDE_H_

#include "include/base/cef_atomic_ref_count.h"
#include "include/base/cef_atomicops.h"
#include "include/base/cef_basictypes.h"
#include "include/base/cef_bind.h"
#include "include/base/cef_bind_helpers.h"
#include "include/base/cef_build.h"
#include "include/base/cef_callback.h"
#include "include/base/cef_callback_forward.h"
#include "include/base/cef_callback_helpers.h"
#include "include/base/cef_callback_list.h"
#include "include/base/cef_cancelable_callback.h"
#include "include/base/cef_lock.h"
#include "include/base/cef_logging.h"
#include "include/base/cef_macros.h"
#include "include/base/cef_move.h"
#include "include/base/cef_platform_thread.h"
#include "include/base/cef_ref_counted.h"
#include "include/base/cef_scoped_ptr.h"
#include "include/base/cef_string16.h"
#include "include/base/cef_template_util.h"
#include "include/base/cef_thread_checker.h"
#include "include/base/cef_thread_collision_warner.h"
#include "include/base/cef_trace_event.h"
#include "include/base/cef_tuple.h"
#include "include/base/cef_weak_ptr.h"
#include "include/internal/cef_ptr.h"
#include "include/internal/cef_string_wrappers.h"

#define BUILDING_CEF_SHARED 1

#endif  // CEF_STANDIN_SRC_LIBRARY_SIDE_H_
