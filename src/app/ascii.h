// ASCII-only case folding: URL schemes and host names compare this way,
// whatever the user's locale. constexpr, so the build-time URL checks use it.

#ifndef ZLM_APP_ASCII_H_
#define ZLM_APP_ASCII_H_

constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

#endif  // ZLM_APP_ASCII_H_
