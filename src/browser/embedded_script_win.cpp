#include "browser/embedded_script.h"

#include <windows.h>

#include "resources/resource.h"

namespace {

bool embeddedScriptLoadTried = false;

std::string& ScriptText() {
  static std::string embeddedScriptText;
  return embeddedScriptText;
}

void ReadResource(std::string* text) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(IDR_PAGE_SCRIPT), RT_RCDATA);
  if (!res)
    return;
  HGLOBAL data = LoadResource(module, res);
  const DWORD size = SizeofResource(module, res);
  if (!data || size == 0)
    return;
  const void* bytes = LockResource(data);
  if (bytes)
    text->assign(static_cast<const char*>(bytes), size);
}

}  // namespace

const std::string& EmbeddedScriptText() {
  std::string& text = ScriptText();
  if (!embeddedScriptLoadTried) {
    embeddedScriptLoadTried = true;
    ReadResource(&text);
  }
  return text;
}
