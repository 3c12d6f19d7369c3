// Placement arithmetic of the main window, kept free of Win32 calls.

#ifndef ZLM_BROWSER_WINDOW_GEOMETRY_H_
#define ZLM_BROWSER_WINDOW_GEOMETRY_H_

// Offset that centres |size| on a screen extent of |screen|; 0 when the window
// does not fit. The whole screen counts, taskbar included.
int CenteredOffset(int screen, int size);

#endif  // ZLM_BROWSER_WINDOW_GEOMETRY_H_
