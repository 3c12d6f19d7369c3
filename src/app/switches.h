// The Chromium switches that every launcher process adds to its command line.

#ifndef ZLM_APP_SWITCHES_H_
#define ZLM_APP_SWITCHES_H_

#include <string>
#include <vector>

struct ChromiumSwitch {
  const char* name;
  std::string value;
  bool hasValue;  // false: added with AppendSwitch, |value| unused
};

// The switches in the order they are appended; |flashPathUtf8| is the full
// plug-in path, passed even when no file is there.
std::vector<ChromiumSwitch> LauncherSwitches(const std::string& flashPathUtf8);

// "v3 switches applied; process=<type> flash_path=<path>".
std::string SwitchesTraceLine(const std::string& processType, const std::string& flashPathUtf8);

#endif  // ZLM_APP_SWITCHES_H_
