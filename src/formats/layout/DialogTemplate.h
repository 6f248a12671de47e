#pragma once
// A dialog template read back into plain values: what a window toolkit needs to build the
// dialog (header, font, controls), and the dialog-unit conversion the platform applies.
#include <string>
#include <vector>

#include "formats/layout/AutoGrow.h"
#include "platform/Fonts.h"
#include "platform/Types.h"

struct CTemplateControl {
  DWORD style = 0;
  DWORD exStyle = 0;
  DWORD helpId = 0;
  tvl::Rect rect;  // dialog units
  DWORD id = 0;
  WORD classOrdinal = 0;  // 0: the class is the name
  std::u16string className;
  bool titleIsOrdinal = false;
  WORD titleOrdinal = 0;
  std::u16string title;
  std::vector<BYTE> creationData;
};

struct CDialogTemplate {
  bool isEx = false;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0;
  int y = 0;
  int cx = 0;
  int cy = 0;
  std::u16string caption;
  CDialogFont font;
  std::vector<CTemplateControl> controls;
  std::vector<WORD> words;  // the template itself, for the measuring context

  // Throws CResStreamException when the bytes end early or a string has no terminator.
  static CDialogTemplate Parse(const std::vector<BYTE>& bytes);
};

// The control class as the platform names the standard ordinals.
std::u16string TemplateClassName(const CTemplateControl& control);

// MapDialogRect with the dialog's base units: each coordinate MulDiv'ed by the base unit
// over 4 across and 8 down.
tvl::Rect MapDialogRect(const tvl::Rect& units, int baseUnitX, int baseUnitY);

// One entry of initialisation data written for the preview.
struct CPreviewInitEntry {
  WORD control = 0;  // the control's index
  WORD message = 0;
  bool isText = false;
  std::u16string text;
};
// Reads initialisation data written for the preview. Its control ids are indexes, so the
// first control's entries carry id 0, the value that ends the data in a module's resource:
// here only the end of the bytes (less the terminating word) ends it. Throws
// CResStreamException on an entry that runs past the data.
std::vector<CPreviewInitEntry> ReadPreviewInitData(const std::vector<BYTE>& bytes, UINT codePage);
