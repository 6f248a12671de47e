#pragma once
// Application manifests: a UTF-8 XML document kept whole as one text, so that a language
// can be given a complete replacement document.
#include <iosfwd>

#include "formats/layout/WholeResource.h"

class CResManifest : public CWholeResource {
  DECLARE_SERIAL(CResManifest)
 public:
  // A new manifest is marked do not translate.
  CResManifest();

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;
  void Parse(CResStream& stream) override;
  void Merge(const CResource& other, bool copyProperties, bool importMode) override;
  void WriteData(CResourceData& data) override;
  // The UTF-8 bytes a build writes for the language.
  bool GetData(std::vector<BYTE>& bytes, LANGID language) const override;
  // Takes a UTF-8 file as the language's document; an empty one is refused.
  bool SetData(const std::vector<BYTE>& bytes, LANGID language, std::unique_ptr<CLocalizedParam>& replaced) override;
  int ComputeStatus(LANGID language) const override;

  // The document a build writes for a language.
  const std::u16string& GetBuildText(LANGID language) const;

  CLocalizedString m_text;

 protected:
  CLocalizedParam& Values() override { return m_text; }
};
