#pragma once
// Rewriting a file's resources through the resource writer: a copy of a file whose every
// resource went through both update passes. It is how the update service is checked on a
// real file without writing code (tvl-dump --rewrite).
#include <cstddef>
#include <string>

namespace tvl {

struct RewriteResult {
  size_t written = 0;  // entries written into the output
  size_t skipped = 0;  // entries of the input whose data could not be read
};

// Copies `in` to `out` and writes every resource entry of `in`, in walk order, into `out`
// with CResourceWriter::Write. Throws CException (CStringException, CWin32Exception).
RewriteResult RewriteAllResources(const std::string& in, const std::string& out);

}  // namespace tvl
