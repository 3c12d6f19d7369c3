#include "browser/load_events.h"

namespace {

const char* FrameWord(bool isMain) {
  return isMain ? "main " : "sub ";
}

}  // namespace

std::string LoadStartTraceLine(bool isMain, const std::string& url) {
  return std::string("OnLoadStart frame=") + FrameWord(isMain) + "url=" + url;
}

std::string LoadEndTraceLine(bool isMain, int httpStatus, const std::string& url) {
  return std::string("OnLoadEnd frame=") + FrameWord(isMain) + "status=" +
         std::to_string(httpStatus) + " url=" + url;
}

std::string LoadErrorTraceLine(bool isMain, int errorCode, const std::string& errorText,
                               const std::string& failedUrl) {
  return std::string("OnLoadError frame=") + FrameWord(isMain) + " code=" +
         std::to_string(errorCode) + " err=" + errorText + " url=" + failedUrl;
}

bool WantsEmbeddedScript(bool isMain, const std::string& url, const std::string& siteHost) {
  return isMain && !siteHost.empty() && url.find(siteHost) != std::string::npos;
}
