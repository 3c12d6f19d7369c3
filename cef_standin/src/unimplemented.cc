// What the stand-in does not implement, though libcef.dll must export it: each
// ends the process with a message naming the function, so that a client that
// starts to rely on one finds out at once instead of running on garbage.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "include/cef_app.h"
#include "include/cef_cookie.h"
#include "include/cef_drag_data.h"
#include "include/cef_geolocation.h"
#include "include/cef_origin_whitelist.h"
#include "include/cef_parser.h"
#include "include/cef_path_util.h"
#include "include/cef_print_settings.h"
#include "include/cef_process_util.h"
#include "include/cef_request_context.h"
#include "include/cef_resource_bundle.h"
#include "include/cef_response.h"
#include "include/cef_scheme.h"
#include "include/cef_stream.h"
#include "include/cef_trace.h"
#include "include/cef_urlrequest.h"
#include "include/cef_v8.h"
#include "include/cef_values.h"
#include "include/cef_web_plugin.h"
#include "include/cef_xml_reader.h"
#include "include/cef_zip_reader.h"

namespace {

[[noreturn]] void Unimplemented(const char* function) {
  char text[512];
  std::snprintf(text, sizeof(text),
                "libcef stand-in: %s is not implemented by the stand-in engine\n",
                function);
  std::fputs(text, stderr);
  std::fflush(stderr);
  OutputDebugStringA(text);
  std::abort();
}

}  // namespace

#define STANDIN_UNIMPLEMENTED() Unimplemented(__PRETTY_FUNCTION__)

// Scheme handlers, origin white-list, extensions.
bool CefRegisterSchemeHandlerFactory(const CefString&, const CefString&,
                                     CefRefPtr<CefSchemeHandlerFactory>) {
  STANDIN_UNIMPLEMENTED();
}
bool CefClearSchemeHandlerFactories() { STANDIN_UNIMPLEMENTED(); }
bool CefAddCrossOriginWhitelistEntry(const CefString&, const CefString&,
                                     const CefString&, bool) {
  STANDIN_UNIMPLEMENTED();
}
bool CefRemoveCrossOriginWhitelistEntry(const CefString&, const CefString&,
                                        const CefString&, bool) {
  STANDIN_UNIMPLEMENTED();
}
bool CefClearCrossOriginWhitelist() { STANDIN_UNIMPLEMENTED(); }
bool CefRegisterExtension(const CefString&, const CefString&,
                          CefRefPtr<CefV8Handler>) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefV8StackTrace> CefV8StackTrace::GetCurrent(int) {
  STANDIN_UNIMPLEMENTED();
}

// Parsers and paths.
bool CefParseURL(const CefString&, CefURLParts&) { STANDIN_UNIMPLEMENTED(); }
bool CefCreateURL(const CefURLParts&, CefString&) { STANDIN_UNIMPLEMENTED(); }
CefString CefFormatUrlForSecurityDisplay(const CefString&, const CefString&) {
  STANDIN_UNIMPLEMENTED();
}
CefString CefGetMimeType(const CefString&) { STANDIN_UNIMPLEMENTED(); }
void CefGetExtensionsForMimeType(const CefString&, std::vector<CefString>&) {
  STANDIN_UNIMPLEMENTED();
}
CefString CefBase64Encode(const void*, size_t) { STANDIN_UNIMPLEMENTED(); }
CefRefPtr<CefBinaryValue> CefBase64Decode(const CefString&) {
  STANDIN_UNIMPLEMENTED();
}
CefString CefURIEncode(const CefString&, bool) { STANDIN_UNIMPLEMENTED(); }
CefString CefURIDecode(const CefString&, bool, cef_uri_unescape_rule_t) {
  STANDIN_UNIMPLEMENTED();
}
bool CefParseCSSColor(const CefString&, bool, cef_color_t&) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefValue> CefParseJSON(const CefString&, cef_json_parser_options_t) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefValue> CefParseJSONAndReturnError(const CefString&,
                                               cef_json_parser_options_t,
                                               cef_json_parser_error_t&,
                                               CefString&) {
  STANDIN_UNIMPLEMENTED();
}
CefString CefWriteJSON(CefRefPtr<CefValue>, cef_json_writer_options_t) {
  STANDIN_UNIMPLEMENTED();
}
bool CefGetPath(PathKey, CefString&) { STANDIN_UNIMPLEMENTED(); }
bool CefLaunchProcess(CefRefPtr<CefCommandLine>) { STANDIN_UNIMPLEMENTED(); }

// Tracing and geolocation.
bool CefBeginTracing(const CefString&, CefRefPtr<CefCompletionCallback>) {
  STANDIN_UNIMPLEMENTED();
}
bool CefEndTracing(const CefString&, CefRefPtr<CefEndTracingCallback>) {
  STANDIN_UNIMPLEMENTED();
}
int64 CefNowFromSystemTraceTime() { STANDIN_UNIMPLEMENTED(); }
bool CefGetGeolocation(CefRefPtr<CefGetGeolocationCallback>) {
  STANDIN_UNIMPLEMENTED();
}

// Plug-ins.
void CefVisitWebPluginInfo(CefRefPtr<CefWebPluginInfoVisitor>) {
  STANDIN_UNIMPLEMENTED();
}
void CefRefreshWebPlugins() { STANDIN_UNIMPLEMENTED(); }
void CefAddWebPluginPath(const CefString&) { STANDIN_UNIMPLEMENTED(); }
void CefAddWebPluginDirectory(const CefString&) { STANDIN_UNIMPLEMENTED(); }
void CefRemoveWebPluginPath(const CefString&) { STANDIN_UNIMPLEMENTED(); }
void CefUnregisterInternalWebPlugin(const CefString&) { STANDIN_UNIMPLEMENTED(); }
void CefForceWebPluginShutdown(const CefString&) { STANDIN_UNIMPLEMENTED(); }
void CefRegisterWebPluginCrash(const CefString&) { STANDIN_UNIMPLEMENTED(); }
void CefIsWebPluginUnstable(const CefString&,
                            CefRefPtr<CefWebPluginUnstableCallback>) {
  STANDIN_UNIMPLEMENTED();
}

// Objects the engine never makes.
CefRefPtr<CefBinaryValue> CefBinaryValue::Create(const void*, size_t) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefDictionaryValue> CefDictionaryValue::Create() {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefValue> CefValue::Create() { STANDIN_UNIMPLEMENTED(); }
CefRefPtr<CefDragData> CefDragData::Create() { STANDIN_UNIMPLEMENTED(); }
CefRefPtr<CefPrintSettings> CefPrintSettings::Create() { STANDIN_UNIMPLEMENTED(); }
CefRefPtr<CefResponse> CefResponse::Create() { STANDIN_UNIMPLEMENTED(); }
CefRefPtr<CefCookieManager> CefCookieManager::GetGlobalManager(
    CefRefPtr<CefCompletionCallback>) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefCookieManager> CefCookieManager::CreateManager(
    const CefString&, bool, CefRefPtr<CefCompletionCallback>) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefRequestContext> CefRequestContext::GetGlobalContext() {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefRequestContext> CefRequestContext::CreateContext(
    const CefRequestContextSettings&, CefRefPtr<CefRequestContextHandler>) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefRequestContext> CefRequestContext::CreateContext(
    CefRefPtr<CefRequestContext>, CefRefPtr<CefRequestContextHandler>) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefResourceBundle> CefResourceBundle::GetGlobal() {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefStreamReader> CefStreamReader::CreateForFile(const CefString&) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefStreamReader> CefStreamReader::CreateForData(void*, size_t) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefStreamReader> CefStreamReader::CreateForHandler(
    CefRefPtr<CefReadHandler>) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefStreamWriter> CefStreamWriter::CreateForFile(const CefString&) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefStreamWriter> CefStreamWriter::CreateForHandler(
    CefRefPtr<CefWriteHandler>) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefURLRequest> CefURLRequest::Create(CefRefPtr<CefRequest>,
                                               CefRefPtr<CefURLRequestClient>,
                                               CefRefPtr<CefRequestContext>) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefXmlReader> CefXmlReader::Create(CefRefPtr<CefStreamReader>,
                                             EncodingType, const CefString&) {
  STANDIN_UNIMPLEMENTED();
}
CefRefPtr<CefZipReader> CefZipReader::Create(CefRefPtr<CefStreamReader>) {
  STANDIN_UNIMPLEMENTED();
}

// Exported by the release although no Windows header declares them: the X
// display (Linux only) and the translator's own test objects.
extern "C" {
CEF_EXPORT void* cef_get_xdisplay() { STANDIN_UNIMPLEMENTED(); }
CEF_EXPORT void* cef_translator_test_create() { STANDIN_UNIMPLEMENTED(); }
CEF_EXPORT void* cef_translator_test_object_create(int) {
  STANDIN_UNIMPLEMENTED();
}
CEF_EXPORT void* cef_translator_test_object_child_create(int, int) {
  STANDIN_UNIMPLEMENTED();
}
CEF_EXPORT void* cef_translator_test_object_child_child_create(int, int, int) {
  STANDIN_UNIMPLEMENTED();
}
}  // extern "C"
