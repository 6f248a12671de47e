// Whole project files: header, languages, modules and their resource tables, read as the
// document reads them. Every input ends in a loaded document or an archive error.
#include <cstddef>
#include <cstdint>

#include "archive/Archive.h"
#include "platform/Messages.h"
#include "project/TvlDoc.h"

namespace {
class CQuietSink : public CMessageSink {
 public:
  int Show(const std::u16string&, UINT, UINT) override { return IDOK; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CQuietSink sink;
  SetMessageSink(&sink);
  CTvlDoc doc;
  try {
    CArchive ar(data, size, u"fuzz.tvl");
    doc.Serialize(ar);
    ar.Close();
  } catch (const CException&) {
    return 0;
  }
  // A document that loaded stores without trouble.
  CArchive out;
  doc.Serialize(out);
  return 0;
}
