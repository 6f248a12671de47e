#include "project/Rewrite.h"

#include <cerrno>
#include <filesystem>

#include "archive/Exceptions.h"
#include "peimage/PeImage.h"
#include "platform/Messages.h"
#include "platform/Text.h"
#include "resmodel/CompileContext.h"

namespace tvl {

RewriteResult RewriteAllResources(const std::string& in, const std::string& out) {
  CPeImage image;
  if (!image.LoadFile(in))
    throw CStringException(FormatMessageText(u"Cannot read %1 as an executable.", {Arg(FromUtf8(in))}));

  CResourceWriter writer;
  RewriteResult result;
  for (const CPeResource& res : image.GetResources()) {
    std::span<const BYTE> bytes = image.GetData(res);
    if (res.size != 0 && bytes.empty()) {
      ++result.skipped;
      continue;
    }
    writer.Add(res.type, res.name, res.language, bytes.data(), bytes.size());
    ++result.written;
  }

  std::error_code ec;
  std::filesystem::copy_file(in, out, std::filesystem::copy_options::overwrite_existing, ec);
  if (ec) {
    errno = ec.value();
    throw CWin32Exception(FormatMessageText(u"Failed to create a working copy of %1", {Arg(FromUtf8(in))}), true);
  }
  writer.Write(FromUtf8(out));
  return result;
}

}  // namespace tvl
