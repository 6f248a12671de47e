#include "formats/layout/ResIcon.h"

#include <algorithm>
#include <cstring>
#include <ostream>
#include <span>

#include "archive/Archive.h"
#include "peimage/PeImage.h"
#include "peimage/ResStream.h"
#include "platform/ByteReader.h"

IMPLEMENT_SERIAL(CIcon, CObject, VERSIONABLE_SCHEMA | 1)
IMPLEMENT_SERIAL(CResIconGroup, CResource, VERSIONABLE_SCHEMA | 1)

namespace {

constexpr size_t kDirHeaderSize = 6;
constexpr size_t kGroupEntrySize = 14;
constexpr size_t kFileEntrySize = 16;
constexpr WORD kRtCursor = 1;
constexpr WORD kRtIcon = 3;

const CIcon& EmptyIcon() {
  static const CIcon empty;
  return empty;
}

const CIcon* IconOf(const CLocalizedParam* node) {
  const auto* value = dynamic_cast<const CLocalizedObject*>(node);
  return value ? dynamic_cast<const CIcon*>(value->m_object.get()) : nullptr;
}

bool IsPng(std::span<const BYTE> p) {
  static const BYTE signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return p.size() >= 8 && std::memcmp(p.data(), signature, 8) == 0;
}

DWORD GetBigEndian32(const BYTE* p) {
  return DWORD{p[0]} << 24 | DWORD{p[1]} << 16 | DWORD{p[2]} << 8 | DWORD{p[3]};
}

// The group directory entry of a cursor image that came from a .cur file, as a resource
// compiler writes it: the bitmap header's width and full height (image and mask), planes and
// bit count, and the size of the image with its hotspot. Data without a bitmap header (a
// compressed image) takes width and height from the file's entry.
void BuildCursorEntry(BYTE entry[14], std::span<const BYTE> fileEntry, std::span<const BYTE> data) {
  WORD width = 0, height = 0, planes = 1, bitCount = 0;
  CByteReader in(data);
  const DWORD headerSize = in.Fits(0, 4) ? in.U32At(0) : 0;
  if (headerSize == 12 && in.Fits(0, 12)) {
    width = in.U16At(4);
    height = in.U16At(6);
    planes = in.U16At(8);
    bitCount = in.U16At(10);
  } else if (headerSize >= 16 && in.Fits(0, 16) && !IsPng(data)) {
    width = static_cast<WORD>(in.U32At(4));
    height = static_cast<WORD>(in.U32At(8));
    planes = in.U16At(12);
    bitCount = in.U16At(14);
  } else {
    width = fileEntry[0] ? fileEntry[0] : 256;
    height = static_cast<WORD>(2 * (fileEntry[1] ? fileEntry[1] : 256));
  }
  tvl::Put16(entry, width);
  tvl::Put16(entry + 2, height);
  tvl::Put16(entry + 4, planes);
  tvl::Put16(entry + 6, bitCount);
  tvl::Put32(entry + 8, static_cast<DWORD>(data.size() + 4));
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Images

WORD CIconImage::GetImageId() const { return tvl::Get16(m_entry + 12); }
WORD CIconImage::GetPlanes() const { return tvl::Get16(m_entry + 4); }
WORD CIconImage::GetBitCount() const { return tvl::Get16(m_entry + 6); }
DWORD CIconImage::GetDataSize() const { return tvl::Get32(m_entry + 8); }

CIconImageSize GetIconImageSize(const CIconImage& image, bool isIcon) {
  CIconImageSize size;
  const size_t skip = isIcon ? 0 : 4;  // a cursor's hotspot
  if (image.m_bytes.size() < skip) return size;
  const std::span<const BYTE> p = std::span<const BYTE>(image.m_bytes).subspan(skip);
  CByteReader in(p);
  if (IsPng(p)) {
    if (in.Fits(0, 26)) {
      size.width = static_cast<LONG>(GetBigEndian32(p.data() + 16));
      size.height = static_cast<LONG>(GetBigEndian32(p.data() + 20));
      size.bitCount = 32;
    }
    return size;
  }
  if (in.Fits(0, 12) && in.U32At(0) == 12) {
    size.width = in.U16At(4);
    size.height = in.U16At(6) / 2;
    size.bitCount = in.U16At(10);
  } else if (in.Fits(0, 16)) {
    size.width = static_cast<LONG>(in.U32At(4));
    size.height = static_cast<LONG>(in.U32At(8)) / 2;
    size.bitCount = in.U16At(14);
  }
  return size;
}

void CIcon::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar.WriteCount(m_images.size());
    for (const CIconImage& image : m_images) {
      ar.Write(image.m_entry, sizeof image.m_entry);
      ar.WriteCount(image.m_bytes.size());
      if (!image.m_bytes.empty()) ar.Write(image.m_bytes.data(), image.m_bytes.size());
    }
    return;
  }
  ar.GetObjectSchema();
  const size_t count = ar.ReadCount();
  ar.CheckAvailable(count, sizeof(CIconImage::m_entry) + 2);
  m_images.assign(count, CIconImage());
  for (CIconImage& image : m_images) {
    ar.ReadExact(image.m_entry, sizeof image.m_entry);
    const size_t n = ar.ReadCount();
    ar.CheckAvailable(n, 1);
    image.m_bytes.resize(n);
    if (n) ar.ReadExact(image.m_bytes.data(), n);
  }
}

std::unique_ptr<CObject> CIcon::Duplicate() const {
  auto copy = std::make_unique<CIcon>();
  copy->m_images = m_images;
  return copy;
}

bool CIcon::IsEqual(const CObject& other, bool isIcon) const {
  const auto* o = dynamic_cast<const CIcon*>(&other);
  if (!o || o->m_images.size() != m_images.size()) return false;
  for (size_t i = 0; i < m_images.size(); ++i) {
    const CIconImage& a = m_images[i];
    const CIconImage& b = o->m_images[i];
    // Icons: width, height, colour count bytes; cursors: width and height words.
    const size_t sizeBytes = isIcon ? 3 : 4;
    if (std::memcmp(a.m_entry, b.m_entry, sizeBytes) != 0) return false;
    if (a.GetPlanes() != b.GetPlanes() || a.GetBitCount() != b.GetBitCount() || a.GetDataSize() != b.GetDataSize())
      return false;
    if (a.m_bytes != b.m_bytes) return false;
  }
  return true;
}

const CIconImage* CIcon::GetBestImage(bool isIcon) const {
  const CIconImage* best = nullptr;
  CIconImageSize bestSize;
  // 32 x 32 with the most colours.
  for (const CIconImage& image : m_images) {
    CIconImageSize s = GetIconImageSize(image, isIcon);
    if (s.width == 32 && s.height == 32 && (!best || s.bitCount > bestSize.bitCount)) {
      best = &image;
      bestSize = s;
    }
  }
  if (best) return best;
  long long bestArea = -1;
  for (const CIconImage& image : m_images) {
    CIconImageSize s = GetIconImageSize(image, isIcon);
    const long long area = static_cast<long long>(s.width) * s.height;
    if (area > bestArea || (area == bestArea && s.bitCount > bestSize.bitCount)) {
      best = &image;
      bestSize = s;
      bestArea = area;
    }
  }
  return best;
}

// ---------------------------------------------------------------------------------------
// Groups

CResIconGroup::CResIconGroup() { m_doNotTranslate = 1; }

void CResIconGroup::Serialize(CArchive& ar) {
  CResource::Serialize(ar);
  if (ar.IsStoring())
    ar << m_isIcon;
  else
    ar >> m_isIcon;
  m_images.Serialize(ar);
}

void CResIconGroup::Dump(std::ostream& out) const {
  CResource::Dump(out);
  for (const CLocalizedParam* n = &m_images; n; n = n->GetNext()) {
    const CIcon* icon = IconOf(n);
    out << "  language " << std::hex << n->m_language << std::dec << ": " << (icon ? icon->m_images.size() : 0)
        << (m_isIcon ? " icon" : " cursor") << " images, status " << n->m_status << '\n';
  }
}

void CResIconGroup::Parse(CResStream& stream) {
  stream.ReadWord();  // reserved
  const WORD type = stream.ReadWord();
  const WORD count = stream.ReadWord();
  m_isIcon = type == 1 ? 1 : 0;
  if (stream.GetRemaining() < kGroupEntrySize * count) throw CResStreamException();
  auto icon = std::make_unique<CIcon>();
  icon->m_images.resize(count);
  const CResName imageType(m_isIcon ? kRtIcon : kRtCursor);
  for (CIconImage& image : icon->m_images) {
    std::memcpy(image.m_entry, stream.Read(kGroupEntrySize), kGroupEntrySize);
    if (!stream.m_module) continue;
    const CResName name(image.GetImageId());
    // The image in the group's own language, else in whichever language the file has it.
    const CPeResource* r = stream.m_module->FindResourceEx(imageType, name, stream.m_fileLanguage);
    if (!r) r = stream.m_module->FindResource(imageType, name);
    if (!r) continue;
    std::span<const BYTE> data = stream.m_module->GetData(*r);
    image.m_bytes.assign(data.begin(), data.end());
  }
  m_images.m_object = std::move(icon);
  m_images.m_language = stream.m_language;
  m_images.m_status = 0;
}

const CIcon& CResIconGroup::GetSourceImages() const {
  const CIcon* icon = IconOf(&m_images);
  return icon ? *icon : EmptyIcon();
}

const CIcon& CResIconGroup::GetImages(LANGID language) const {
  if (IsTranslatable())
    if (const CIcon* icon = IconOf(m_images.FindValue(language))) return *icon;
  return GetSourceImages();
}

void CResIconGroup::Merge(const CResource& other, bool copyProperties, bool importMode) {
  MergeResourceLevel(other, copyProperties, importMode);
  if (const auto* o = dynamic_cast<const CResIconGroup*>(&other))
    m_images.MergeFrom(o->m_images, copyProperties, importMode, m_isIcon != 0);
}

bool CResIconGroup::GetData(std::vector<BYTE>& bytes, LANGID language) const {
  const CIcon& icon = GetImages(language);
  const size_t count = icon.m_images.size();
  bytes.assign(kDirHeaderSize + kFileEntrySize * count, 0);
  tvl::Put16(bytes.data() + 2, m_isIcon ? 1 : 2);
  tvl::Put16(bytes.data() + 4, static_cast<WORD>(count));
  for (size_t i = 0; i < count; ++i) {
    const CIconImage& image = icon.m_images[i];
    BYTE* entry = bytes.data() + kDirHeaderSize + kFileEntrySize * i;
    const BYTE* data = image.m_bytes.data();
    size_t size = image.m_bytes.size();
    if (m_isIcon) {
      std::memcpy(entry, image.m_entry, 12);
      // The file's size is that of the bytes it holds, even where a directory said otherwise.
      tvl::Put32(entry + 8, static_cast<DWORD>(size));
    } else {
      // The file keeps the hotspot in the entry, not in the image data.
      const CIconImageSize s = GetIconImageSize(image, false);
      entry[0] = static_cast<BYTE>(s.width);
      entry[1] = static_cast<BYTE>(s.height);
      if (size >= 4) {
        std::memcpy(entry + 4, data, 4);
        data += 4;
        size -= 4;
      } else {
        size = 0;
      }
      tvl::Put32(entry + 8, static_cast<DWORD>(size));
    }
    tvl::Put32(entry + 12, static_cast<DWORD>(bytes.size()));
    if (size) bytes.insert(bytes.end(), data, data + size);
  }
  return true;
}

bool CResIconGroup::SetData(const std::vector<BYTE>& bytes, LANGID language, std::unique_ptr<CLocalizedParam>& replaced) {
  auto icon = std::make_unique<CIcon>();
  CByteReader file(bytes);
  file.Read16();  // reserved
  const WORD type = file.Read16();
  const WORD count = file.Read16();
  if (!file.Ok() || (type == 1) != (m_isIcon != 0) || count == 0) return false;
  for (WORD i = 0; i < count; ++i) {
    const std::span<const BYTE> entry = file.ReadBytes(kFileEntrySize);
    if (!file.Ok()) return false;  // the directory ends early
    CByteReader fields(entry);
    const std::span<const BYTE> data = file.BytesAt(fields.U32At(12), fields.U32At(8));
    if (!file.Ok()) return false;
    CIconImage image;
    if (m_isIcon) {
      std::memcpy(image.m_entry, entry.data(), 12);
    } else {
      image.m_bytes.assign(entry.begin() + 4, entry.begin() + 8);  // hotspot x and y
      BuildCursorEntry(image.m_entry, entry, data);
    }
    image.m_bytes.insert(image.m_bytes.end(), data.begin(), data.end());
    tvl::Put16(image.m_entry + 12, static_cast<WORD>(i + 1));
    icon->m_images.push_back(std::move(image));
  }
  replaced = TakeOutForReplacement(language);
  m_images.SetObject(language, std::move(icon));
  return true;
}

