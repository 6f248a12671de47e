#pragma once
// Icon and cursor groups: the group directory and the images it points to, read together
// and translated as a whole, one complete image set per language (usually imported from an
// .ico or .cur file).
#include <iosfwd>
#include <memory>
#include <vector>

#include "formats/layout/WholeResource.h"

// One image of a group: its 14-byte directory entry as read and its bytes.
//   icons:   width (8), height (8), colour count (8), reserved (8), planes (16), bit count (16)
//   cursors: width (16), height (16), planes (16), bit count (16)
//   both:    bytes 8-11 the data size, bytes 12-13 the image id.
// A cursor image's bytes begin with the hotspot's x and y (16 bits each).
struct CIconImage {
  BYTE m_entry[14] = {};
  std::vector<BYTE> m_bytes;

  WORD GetImageId() const;
  WORD GetPlanes() const;
  WORD GetBitCount() const;
  DWORD GetDataSize() const;
};

// Width, height (without the mask) and bit count read from an image's bitmap header; all 0
// when the bytes hold none.
struct CIconImageSize {
  LONG width = 0;
  LONG height = 0;
  WORD bitCount = 0;
};
CIconImageSize GetIconImageSize(const CIconImage& image, bool isIcon);

// The images of one group for one language, in directory order.
class CIcon : public CObject, public CDuplicatableObject {
  DECLARE_SERIAL(CIcon)
 public:
  CIcon() = default;

  void Serialize(CArchive& ar) override;
  std::unique_ptr<CObject> Duplicate() const override;
  bool IsEqual(const CObject& other, bool isIcon) const override;

  // The image to show: 32 x 32 with the most colours, else the largest, more colours
  // winning a tie; null for an empty set.
  const CIconImage* GetBestImage(bool isIcon) const;

  std::vector<CIconImage> m_images;
};

class CResIconGroup : public CWholeResource {
  DECLARE_SERIAL(CResIconGroup)
 public:
  // A new group is marked do not translate.
  CResIconGroup();

  void Serialize(CArchive& ar) override;
  void Dump(std::ostream& out) const override;
  void Parse(CResStream& stream) override;
  void Merge(const CResource& other, bool copyProperties, bool importMode) override;
  // The table writes groups itself (images first, then directories).
  void WriteData(CResourceData&) override {}
  // An .ico or .cur file of the language's images.
  bool GetData(std::vector<BYTE>& bytes, LANGID language) const override;
  // Takes an .ico or .cur file as the language's images; false (nothing changed) for a
  // file of the other kind, without images, or with image data beyond its end.
  bool SetData(const std::vector<BYTE>& bytes, LANGID language, std::unique_ptr<CLocalizedParam>& replaced) override;

  // What is written and exported for a language: its image set when the group is
  // translatable and the language has one (whatever its status), else the source.
  const CIcon& GetImages(LANGID language) const;
  const CIcon& GetSourceImages() const;

  BYTE m_isIcon = 1;
  CLocalizedObject m_images;  // objects are CIcon

 protected:
  CLocalizedParam& Values() override { return m_images; }
};
