#pragma once
// Toolbars of MFC programs: the button size and the command ids (never translated) and the
// bitmap of the same name, which the toolbar takes over from the module's bitmaps so that
// it is translated and written with its toolbar.
#include <iosfwd>
#include <memory>
#include <set>

#include "archive/Collections.h"
#include "formats/layout/ResBinary.h"

class CResToolBar : public CResource {
  DECLARE_SERIAL(CResToolBar)
 public:
  CResToolBar() = default;

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;
  void Parse(CResStream& stream) override;
  void Write(CCompileContext& context) override;
  void Merge(const CResource& other, bool copyProperties, bool importMode) override;
  void WriteData(CResourceData& data) override;
  bool GetData(std::vector<BYTE>& bytes, LANGID language) const override;
  bool SetData(const std::vector<BYTE>& bytes, LANGID language, std::unique_ptr<CLocalizedParam>& replaced) override;
  std::unique_ptr<CLocalizedParam> DetachTranslation(LANGID language) override;
  void AttachTranslation(std::unique_ptr<CLocalizedParam> value, int status) override;
  void CollectTranslationChains(std::vector<CLocalizedParam*>& chains) override;
  void SetTranslationStatus(LANGID language, int status) override;
  void UpdateStatus(LANGID language) override;
  int ComputeStatus(LANGID language) const override;
  void CollectCommandIds(std::set<DWORD>& ids) const override;

  // Whether a .bmp file fits the buttons: as high as a button and wide enough for every
  // button that is not a separator.
  bool FitsBitmapFile(const std::vector<BYTE>& file) const;
  // Back to an empty version-1 toolbar without bitmap.
  void Reset();

  WORD m_version = 1;
  WORD m_width = 0;
  WORD m_height = 0;
  CWordArray m_items;  // command ids; 0 is a separator
  std::unique_ptr<CResBitmap> m_bitmap;
};
