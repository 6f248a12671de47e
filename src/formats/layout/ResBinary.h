#pragma once
// Resources kept as raw bytes and translated as a whole: every type without a handler of
// its own, and bitmaps (with a header check and the .bmp file form).
#include "formats/layout/WholeResource.h"

class CResBinary : public CWholeResource {
  DECLARE_SERIAL(CResBinary)
 public:
  CResBinary();
  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;
  void Parse(CResStream& stream) override;
  void Merge(const CResource& other, bool copyProperties, bool importMode) override;
  void WriteData(CResourceData& data) override;
  bool GetData(std::vector<BYTE>& bytes, LANGID language) const override;
  bool SetData(const std::vector<BYTE>& bytes, LANGID language, std::unique_ptr<CLocalizedParam>& replaced) override;

  // The bytes of a language's node (whatever its status), else the source bytes.
  const std::vector<BYTE>& GetBytes(LANGID language) const;

  CLocalizedBlob m_data;

 protected:
  CLocalizedParam& Values() override { return m_data; }
  // The file form of the bytes for export, and back; the raw bytes here.
  virtual bool ToFile(const std::vector<BYTE>& value, std::vector<BYTE>& file) const;
  virtual bool FromFile(const std::vector<BYTE>& file, std::vector<BYTE>& value) const;
};

class CResBitmap : public CResBinary {
  DECLARE_SERIAL(CResBitmap)
 public:
  CResBitmap() = default;
  void Parse(CResStream& stream) override;

  // A .bmp file from RT_BITMAP bytes; false when they are too short for their header.
  static bool BitmapToFile(const std::vector<BYTE>& bytes, std::vector<BYTE>& file);
  // RT_BITMAP bytes from a .bmp file; false when the file is refused.
  static bool FileToBitmap(const std::vector<BYTE>& file, std::vector<BYTE>& bytes);

 protected:
  bool ToFile(const std::vector<BYTE>& value, std::vector<BYTE>& file) const override;
  bool FromFile(const std::vector<BYTE>& file, std::vector<BYTE>& value) const override;
};
