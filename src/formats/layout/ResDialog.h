#pragma once
// Dialog templates (DIALOG and DIALOGEX) with their controls: what a translator changes per
// language is the caption, the dialog's size and font, and each control's text, position and
// size; everything else is written back as the source template has it.
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "formats/layout/AutoGrow.h"
#include "platform/Fonts.h"
#include "resmodel/Resource.h"

class CDlgInitMsg;
class CPeImage;

// Template style bits the reader and writer look at.
constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_FIXEDSYS = 0x08;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;

class CResDialogItem : public CResourceElement {
  DECLARE_SERIAL(CResDialogItem)
 public:
  CResDialogItem() = default;
  ~CResDialogItem() override;

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;

  // Reads one control at the stream's position (already 4-aligned).
  void Parse(CResStream& stream, bool isEx);
  // Appends the control for the buffer's language. index is the control's place in the
  // dialog (the preview's control id).
  void WriteData(CResourceData& data, bool isEx, int index, const CMeasuringContext* context) const;

  // Same id and source text and, unless loose, the same source size and position.
  bool IsSameItem(const CResDialogItem& other, bool loose) const;
  // The text needs no translation: marked so, a control without text, or an empty source.
  bool IsTextExcluded() const { return m_text.IsDoNotTranslate() || m_noText || m_text.m_text.empty(); }
  int GetStatus(LANGID language) const;
  // The control's rectangle in dialog units for a language, grown to fit its translation.
  // Without a context the plain rectangle.
  tvl::Rect GetItemRect(LANGID language, const CMeasuringContext* context) const;

  // Class ordinal, or exact (case-sensitive) class name.
  bool IsClass(WORD ordinal, std::u16string_view name) const;
  // Whether a control of this class and style shows no text of its own.
  static bool ShowsNoText(const CResourceIdentifier& windowClass, DWORD style);

  CLocalizedString m_text;
  CLocalizedPoint m_size;
  CLocalizedPoint m_pos;
  DWORD m_style = 0;
  DWORD m_exStyle = 0;
  DWORD m_helpId = 0;  // not stored in the project file
  DWORD m_id = 0;
  bool m_titleIsOrdinal = false;
  bool m_noText = false;
  WORD m_titleOrdinal = 0;
  CResourceIdentifier m_class;
  std::vector<BYTE> m_creationData;
};

class CResDialog : public CResource {
  DECLARE_SERIAL(CResDialog)
 public:
  CResDialog();
  ~CResDialog() override;

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;
  void Parse(CResStream& stream) override;
  void Merge(const CResource& other, bool copyProperties, bool importMode) override;
  void WriteData(CResourceData& data) override;
  int ComputeStatus(LANGID language) const override;

  // The font written for the buffer's language; `present` is false when the template has
  // no font block.
  CDialogFont ChooseFont(const CResourceData& data) const;

  // Dialog initialisation data (DlgInit.cpp).
  // Reads the RT_DLGINIT resource of this dialog's name from the stream's module.
  void ReadDlgInit(const CResStream& stream);
  // Appends the RT_DLGINIT bytes for the buffer's language; nothing without entries.
  void WriteDlgInit(CResourceData& data) const;
  void MergeDlgInit(const CResDialog& other, bool copyProperties, bool importMode);
  // Entries of the control at itemIndex (matched by control id), and the n-th of them.
  int GetDlgInitCount(int itemIndex) const;
  CDlgInitMsg* GetDlgInit(int itemIndex, int n) const;

  // Help ids live only in memory; a dialog loaded from a project takes them back from the
  // template the source file holds, when its controls are the same (same count and ids).
  bool TakeHelpIds(const CResDialog& source);

  std::vector<std::unique_ptr<CDlgInitMsg>> m_dlgInit;
  CLocalizedString m_caption;
  CLocalizedPoint m_size;
  int m_x = 0;
  int m_y = 0;
  CLocalizedFontReference m_font;
  std::u16string m_previewFace;  // font of the last preview build; not stored
  WORD m_previewPointSize = 0;
  DWORD m_style = 0;
  DWORD m_exStyle = 0;
  DWORD m_helpId = 0;  // not stored in the project file
  WORD m_itemCount = 0;
  bool m_isEx = false;
  CResourceIdentifier m_menu;
  CResourceIdentifier m_class;
  std::vector<std::unique_ptr<CResDialogItem>> m_items;
};

// Which window classes the preview can create, and the best rich edit class it has. The
// preview installs its own answer; the default knows the standard and common controls.
class CPreviewClasses {
 public:
  virtual ~CPreviewClasses() = default;
  // Window class names compare without regard to case.
  virtual bool IsRegistered(std::u16string_view name) const;
  virtual std::u16string BestRichEditClass() const { return u"RichEdit50W"; }
};
// Installs an answer (nullptr: the default); returns the previous one.
const CPreviewClasses* SetPreviewClasses(const CPreviewClasses* classes);

// The value of a point written for a language: its node when that has a status above 0,
// else the source.
const CLocalizedPoint& EffectivePoint(const CLocalizedPoint& head, LANGID language);
