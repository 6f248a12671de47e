/* A small Windows program whose texts all live in its resources, to be localized. */
#include <windows.h>

#include "resource.h"

static INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  (void)lparam;
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
  (void)previous;
  (void)commandLine;
  (void)show;
  char title[64], greeting[256];
  LoadStringA(instance, IDS_TITLE, title, sizeof title);
  LoadStringA(instance, IDS_GREETING, greeting, sizeof greeting);
  if (MessageBoxA(NULL, greeting, title, MB_OKCANCEL | MB_ICONINFORMATION) == IDOK)
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), NULL, AboutProc, 0);
  return 0;
}
