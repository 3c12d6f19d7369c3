// The stand-in's own export: packaging and the rig ask for it to tell this
// libcef.dll from CEF's, which has no such function.

#include "include/internal/cef_export.h"

extern "C" CEF_EXPORT const char* zlm_standin_engine() {
  return "Zelmora Launcher stand-in engine for CEF 3.2623: no web renderer, for tests";
}
