// A rectangle that gtest can compare and print (the system RECT cannot).
#ifndef ZLM_TESTS_E2E_SUPPORT_RECT_H_
#define ZLM_TESTS_E2E_SUPPORT_RECT_H_

#include <ostream>

namespace e2e {

struct Rect {
  long left = 0;
  long top = 0;
  long right = 0;
  long bottom = 0;

  long width() const { return right - left; }
  long height() const { return bottom - top; }

  static Rect FromOriginSize(long x, long y, long width, long height) {
    return Rect{x, y, x + width, y + height};
  }
};

inline bool operator==(const Rect& a, const Rect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right &&
         a.bottom == b.bottom;
}
inline bool operator!=(const Rect& a, const Rect& b) {
  return !(a == b);
}

inline std::ostream& operator<<(std::ostream& out, const Rect& r) {
  return out << "(" << r.left << "," << r.top << ")-(" << r.right << ","
             << r.bottom << ") " << r.width() << "x" << r.height();
}

struct Size {
  long width = 0;
  long height = 0;
};

inline bool operator==(const Size& a, const Size& b) {
  return a.width == b.width && a.height == b.height;
}

inline std::ostream& operator<<(std::ostream& out, const Size& s) {
  return out << s.width << "x" << s.height;
}

}  // namespace e2e

#endif  // ZLM_TESTS_E2E_SUPPORT_RECT_H_
