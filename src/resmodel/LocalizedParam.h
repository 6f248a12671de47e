#pragma once
// Chains of translation values: the head holds the source value, each following node the
// value of one target language, every node with its translation status.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/Object.h"

// Statuses: 0 not translated (or not up-to-date when a node exists), 1 translated,
// 2 nothing to translate.
enum : int { kStatusNotTranslated = 0, kStatusTranslated = 1, kStatusNothingToTranslate = 2 };
constexpr WORD kFlagDoNotTranslate = 0x0001;

// Objects held by CLocalizedObject values: deep copy and comparison.
class CDuplicatableObject {
 public:
  virtual ~CDuplicatableObject() = default;
  virtual std::unique_ptr<CObject> Duplicate() const = 0;
  // isIcon tells icons from cursors where the comparison differs.
  virtual bool IsEqual(const CObject& other, bool isIcon) const = 0;
};

class CLocalizedParam : public CObject {
  DECLARE_SERIAL(CLocalizedParam)
 public:
  CLocalizedParam() = default;
  CLocalizedParam(LANGID language, int status) : m_language(language), m_status(status) {}
  ~CLocalizedParam() override;
  CLocalizedParam(const CLocalizedParam&) = delete;
  CLocalizedParam& operator=(const CLocalizedParam&) = delete;

  void Serialize(CArchive& ar) override;
  // Sets a text value; the base class holds no text.
  virtual void SetTranslation(const std::u16string& text, LANGID language);

  // The node for a language: the head for its own language and for 0, else the first
  // following node with that language.
  CLocalizedParam* FindValue(LANGID language);
  const CLocalizedParam* FindValue(LANGID language) const;
  int GetValueStatus(LANGID language) const;
  // Appends a plain node when the language has none.
  void SetStatus(LANGID language, int status);
  // Unlinks the first node after the head with that language; returns it unless deleted.
  std::unique_ptr<CLocalizedParam> RemoveTranslation(LANGID language, bool deleteIt);
  void ResetStatuses();
  void SetDoNotTranslate(bool on);
  bool IsDoNotTranslate() const { return (m_flags & kFlagDoNotTranslate) != 0; }
  // The effective status of a text item: 2 when marked do not translate or the source is empty.
  int EffectiveStatus(LANGID language, bool sourceEmpty) const;

  CLocalizedParam* GetNext() const { return m_next.get(); }
  void Append(std::unique_ptr<CLocalizedParam> node);
  // Re-inserts a node that RemoveTranslation handed out (undo), at the end of the chain.
  void AttachNode(std::unique_ptr<CLocalizedParam> node) { Append(std::move(node)); }
  std::vector<LANGID> Languages() const;

  std::unique_ptr<CLocalizedParam> m_next;
  LANGID m_language = kNoLanguage;
  WORD m_flags = 0;
  int m_status = 0;

 protected:
  // The node of a language, appended as a new node of class T when there is none.
  template <class T>
  T* FindOrAppend(LANGID language) {
    if (auto* found = static_cast<T*>(FindValue(language))) return found;
    auto node = std::make_unique<T>();
    node->m_language = language;
    T* raw = node.get();
    Append(std::move(node));
    return raw;
  }

  // The chain-walking half of MergeFrom, the same for every class.
  // equal: heads hold the same value; take: copy node's value into this chain for language L
  // with the class's set operation; overwrite tells whether the target exists.
  template <class T, class Equal, class Take>
  void MergeChain(const T& other, bool copyProperties, bool importMode, Equal equal, Take take);
};

class CLocalizedString : public CLocalizedParam {
  DECLARE_SERIAL(CLocalizedString)
 public:
  CLocalizedString() = default;
  explicit CLocalizedString(std::u16string text, LANGID language = kNoLanguage, int status = 0)
      : CLocalizedParam(language, status), m_text(std::move(text)) {}
  void Serialize(CArchive& ar) override;
  void SetTranslation(const std::u16string& text, LANGID language) override;

  // The text for a language: its node's text, or the source text when it has none (or a
  // node without translation status when untranslatedFallsBack is set).
  const std::u16string& GetText(LANGID language = 0) const;
  CLocalizedString* FindString(LANGID language) { return static_cast<CLocalizedString*>(FindValue(language)); }
  const CLocalizedString* FindString(LANGID language) const {
    return static_cast<const CLocalizedString*>(FindValue(language));
  }
  // What a writer puts into a target: the translation when its status is 1 or more,
  // else the source; the source always when the item is marked do not translate.
  const std::u16string& GetBuildText(LANGID language) const;
  int EffectiveStatus(LANGID language) const { return CLocalizedParam::EffectiveStatus(language, m_text.empty()); }

  void MergeFrom(const CLocalizedString& other, bool copyProperties, bool importMode);

  std::u16string m_text;
};

class CLocalizedStringSizePos : public CLocalizedString {
  DECLARE_SERIAL(CLocalizedStringSizePos)
 public:
  CLocalizedStringSizePos() = default;
  void Serialize(CArchive& ar) override;
  void SetTranslation(const std::u16string& text, LANGID language) override;
  void SetSizePos(LANGID language, const std::u16string& text, WORD n0, WORD n1, WORD n2, WORD n3);
  void MergeFrom(const CLocalizedStringSizePos& other, bool copyProperties, bool importMode);

  WORD m_numbers[4] = {0, 0, 0, 0};
};

class CLocalizedFontReference : public CLocalizedString {
  DECLARE_SERIAL(CLocalizedFontReference)
 public:
  CLocalizedFontReference() = default;
  void Serialize(CArchive& ar) override;
  void SetTranslation(const std::u16string& text, LANGID language) override;
  void SetFont(LANGID language, const std::u16string& face, WORD pointSize, WORD weight, BYTE italic, BYTE charSet);
  void MergeFrom(const CLocalizedFontReference& other, bool copyProperties, bool importMode);

  WORD m_pointSize = 0;
  WORD m_weight = 0xFFFF;
  BYTE m_italic = 0;
  BYTE m_charSet = 0;
};

class CLocalizedPoint : public CLocalizedParam {
  DECLARE_SERIAL(CLocalizedPoint)
 public:
  CLocalizedPoint() = default;
  void Serialize(CArchive& ar) override;
  void SetPoint(LANGID language, int x, int y);
  void MergeFrom(const CLocalizedPoint& other, bool copyProperties, bool importMode);

  int m_x = 0;
  int m_y = 0;
};

class CLocalizedHotKey : public CLocalizedParam {
  DECLARE_SERIAL(CLocalizedHotKey)
 public:
  CLocalizedHotKey() = default;
  void Serialize(CArchive& ar) override;
  void SetHotKey(LANGID language, WORD flags, WORD key);
  void MergeFrom(const CLocalizedHotKey& other, bool copyProperties, bool importMode);

  WORD m_hotFlags = 0;
  WORD m_key = 0;
};

class CLocalizedBlob : public CLocalizedParam {
  DECLARE_SERIAL(CLocalizedBlob)
 public:
  CLocalizedBlob() = default;
  void Serialize(CArchive& ar) override;
  // An existing node gets the bytes and status 1; otherwise a new node is appended.
  void SetBlob(LANGID language, std::vector<BYTE> data);
  void MergeFrom(const CLocalizedBlob& other, bool copyProperties, bool importMode);

  std::vector<BYTE> m_data;
};

class CLocalizedObject : public CLocalizedParam {
  DECLARE_SERIAL(CLocalizedObject)
 public:
  CLocalizedObject() = default;
  void Serialize(CArchive& ar) override;
  void SetObject(LANGID language, std::unique_ptr<CObject> object);
  // Values taken from other are copies; objects compare with CDuplicatableObject::IsEqual.
  void MergeFrom(const CLocalizedObject& other, bool copyProperties, bool importMode, bool isIcon);

  std::unique_ptr<CObject> m_object;
};

// The status as the resource header shows it.
std::u16string StatusText(int status, bool hasTranslation, bool toolbarBitmap = false);

// Texts equal as the locale's collation compares them (case-sensitive).
bool TextsEqual(const std::u16string& a, const std::u16string& b);
