// The one trace facility. Components compose one-line UTF-8 diagnostics at
// fixed points; the product writes them nowhere, and no behaviour depends on
// them. Tests may install a sink to observe them.

#ifndef ZLM_APP_TRACE_H_
#define ZLM_APP_TRACE_H_

#include <string>

void Trace(const std::string& line);

// Installs |sink| (null: none, the default) and returns the previous one.
// Safe to call while other threads trace; a line racing with the swap goes
// to either the old or the new sink.
using TraceSink = void (*)(const std::string&);
TraceSink SetTraceSink(TraceSink sink);

#endif  // ZLM_APP_TRACE_H_
