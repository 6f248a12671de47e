#pragma once
// The bases of the resource model: elements that carry translation values, and one
// resource of a module with its status chain.
#include <iosfwd>
#include <memory>
#include <set>
#include <vector>

#include "archive/Object.h"
#include "resmodel/LocalizedParam.h"
#include "resmodel/ResourceIdentifier.h"

class CCompileContext;
class CResourceData;
class CResStream;
class CResourceType;

// One translatable text of a resource, for exchange files and statistics: a path that
// stays the same across builds of the module, and the item's value chain.
struct CTextItem {
  std::u16string m_path;
  CLocalizedString* m_value = nullptr;
};

class CResourceElement : public CObject {
  DECLARE_DYNAMIC(CResourceElement)
 public:
  // A plain-text description for diagnostics.
  virtual void Dump(std::ostream& out) const = 0;
};

class CResource : public CResourceElement {
  DECLARE_SERIAL(CResource)
 public:
  CResource();
  ~CResource() override;

  void Serialize(CArchive& ar) override;

  // The contract of every resource format, in slot order.
  void Dump(std::ostream& out) const override;
  virtual void Parse(CResStream& stream);
  virtual void Write(CCompileContext& context);
  virtual void Merge(const CResource& other, bool copyProperties, bool importMode);
  virtual void WriteData(CResourceData& data);
  virtual bool GetData(std::vector<BYTE>& bytes, LANGID language) const;
  virtual bool SetData(const std::vector<BYTE>& bytes, LANGID language, std::unique_ptr<CLocalizedParam>& replaced);
  virtual std::unique_ptr<CLocalizedParam> DetachTranslation(LANGID language);
  virtual void AttachTranslation(std::unique_ptr<CLocalizedParam> value, int status);
  // The chains a whole-resource translation lives in (its status chain first), so that
  // undo can put a detached translation back where it was in each.
  virtual void CollectTranslationChains(std::vector<CLocalizedParam*>& chains) { chains.push_back(&m_statusChain); }
  virtual bool IsTranslatable() const { return m_doNotTranslate == 0; }
  virtual void SetTranslationStatus(LANGID language, int status);
  virtual bool HasTranslation(LANGID language) const;
  virtual void UpdateStatus(LANGID language);
  virtual int ComputeStatus(LANGID language) const;
  // The command ids the resource issues (menu items, toolbar buttons), for the command
  // prompts; resources without commands add none.
  virtual void CollectCommandIds(std::set<DWORD>& /*ids*/) const {}

  // The translatable texts of the resource, in resource order; none for resources that are
  // translated as a whole.
  virtual void CollectTextItems(std::vector<CTextItem>& items);

  int GetStatus(LANGID language) const { return m_statusChain.GetValueStatus(language); }
  void SetTranslatable(bool translatable) { m_doNotTranslate = translatable ? 0 : 1; }
  void ResetLanguageStatus(LANGID language) { m_statusChain.SetStatus(language, 0); }
  void MergeResourceLevel(const CResource& other, bool copyProperties, bool importMode);
  // The language the resource was recorded under.
  LANGID GetSourceLanguage() const { return m_statusChain.m_language; }

  CResourceIdentifier m_identifier;
  CLocalizedParam m_statusChain;
  CResourceType* m_owner = nullptr;  // not owned; restored after loading
  BYTE m_doNotTranslate = 0;
};
