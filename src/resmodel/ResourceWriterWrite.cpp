// CResourceWriter::Write: the collected entries go into the file in two update passes.
// The first pass grows the resource section to its final size with one placeholder of the
// total length; the second replaces it with the real entries.
#include <cerrno>

#include "archive/Exceptions.h"
#include "peimage/ResourceUpdate.h"
#include "platform/Messages.h"
#include "resmodel/CompileContext.h"

namespace {

tvl::ResId ToResId(const CResourceIdentifier& id) {
  if (id.IsString()) return tvl::ResId::Name(id.m_name);
  return tvl::ResId::Id(id.IsOrdinal() ? id.m_ordinal : WORD{0});  // kind 0 goes as ordinal 0
}

[[noreturn]] void ThrowPass(const char16_t* format, const std::u16string& path) {
  int code = errno;  // taken before anything else can change it
  std::u16string text = FormatMessageText(format, {Arg(path)});
  errno = code;
  throw CWin32Exception(text, true);
}

// A zero-length entry still needs a non-null pointer: null with size 0 means "delete".
const BYTE kNoBytes = 0;

}  // namespace

void CResourceWriter::Write(const std::u16string& path) {
  constexpr WORD kMessageTable = 11;
  constexpr WORD kEnglishUs = 0x0409;
  const size_t total = GetTotalLength();

  tvl::CResourceUpdate update;
  if (!update.Begin(path, true)) ThrowPass(u"Failed to start first pass update of target file %1", path);
  {
    // The entries' own bytes are held until the end, so the service need not copy them.
    std::vector<BYTE> placeholder(total, 0);
    if (!update.AddBorrowed(tvl::ResId::Id(kMessageTable), tvl::ResId::Id(1), kEnglishUs,
                            total ? placeholder.data() : &kNoBytes, total)) {
      int code = errno;
      update.Discard();
      errno = code;
      ThrowPass(u"Failed to update resources of target file %1 (first pass)", path);
    }
    if (!update.Commit()) ThrowPass(u"Failed to finalize first pass update of target file %1", path);
  }

  if (!update.Begin(path, true)) ThrowPass(u"Failed to start second pass update of target file %1", path);
  for (const auto& entry : m_entries) {
    const BYTE* data = entry->m_data.empty() ? &kNoBytes : entry->m_data.data();
    if (!update.AddBorrowed(ToResId(entry->m_type), ToResId(entry->m_name), entry->m_language, data,
                            entry->m_data.size())) {
      int code = errno;
      update.Discard();
      errno = code;
      ThrowPass(u"Failed to update resources of target file %1 (second pass)", path);
    }
  }
  if (!update.Commit()) ThrowPass(u"Failed to finalize second pass update of target file %1", path);
}
