// CResourceWriter::Write: the collected entries go into the file in two update passes.
// The first pass grows the resource section to its final size with one placeholder of the
// total length; the second replaces it with the real entries. Write commits both passes to the
// file; WriteCopy only plans the first and writes the copy once.
#include <cerrno>

#include "archive/Exceptions.h"
#include "peimage/ResourceUpdate.h"
#include "platform/Files.h"
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

// The two passes on an update opened on the file; `commitFirst` ends the first, `reopen`
// starts the second and `commit` ends it.
template <class CommitFirst, class Reopen, class Commit>
void WritePasses(const CResourceWriter& writer, tvl::CResourceUpdate& update, const std::u16string& path,
                 CommitFirst commitFirst, Reopen reopen, Commit commit) {
  constexpr WORD kMessageTable = 11;
  constexpr WORD kEnglishUs = 0x0409;
  if (!update.AddPlaceholder(tvl::ResId::Id(kMessageTable), tvl::ResId::Id(1), kEnglishUs,
                             writer.GetTotalLength())) {
    int code = errno;
    update.Discard();
    errno = code;
    ThrowPass(u"Failed to update resources of target file %1 (first pass)", path);
  }
  if (!commitFirst()) ThrowPass(u"Failed to finalize first pass update of target file %1", path);

  if (!reopen()) ThrowPass(u"Failed to start second pass update of target file %1", path);
  // The entries' own bytes are held until the end, so the service need not copy them.
  for (const auto& entry : writer.GetEntries()) {
    const BYTE* data = entry->m_data.empty() ? &kNoBytes : entry->m_data.data();
    if (!update.AddBorrowed(ToResId(entry->m_type), ToResId(entry->m_name), entry->m_language, data,
                            entry->m_data.size())) {
      int code = errno;
      update.Discard();
      errno = code;
      ThrowPass(u"Failed to update resources of target file %1 (second pass)", path);
    }
  }
  if (!commit()) ThrowPass(u"Failed to finalize second pass update of target file %1", path);
}

}  // namespace

void CResourceWriter::Write(const std::u16string& path) {
  tvl::CResourceUpdate update;
  if (!update.Begin(path, true)) ThrowPass(u"Failed to start first pass update of target file %1", path);
  WritePasses(
      *this, update, path, [&] { return update.Commit(); }, [&] { return update.Begin(path, true); },
      [&] { return update.Commit(); });
}

void CResourceWriter::WriteCopy(const std::u16string& templatePath, int fd, const std::u16string& workingPath) {
  tvl::CResourceUpdate update;
  if (!update.BeginReading(tvl::NativePath(templatePath), true))
    ThrowPass(u"Failed to start first pass update of target file %1", workingPath);
  WritePasses(
      *this, update, workingPath, [&] { return update.CommitPlanned(); }, [&] { return update.BeginPlanned(true); },
      [&] { return update.CommitTo(fd); });
}
