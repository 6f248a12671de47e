#pragma once
// The one way XML from outside is parsed: nothing loaded from elsewhere, no entity expanded.
#include <libxml/tree.h>

#include <memory>
#include <string>

namespace tvl {
using XmlDocPtr = std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)>;
// A file that declares or uses entities is refused, so the work stays linear in its size;
// error names the line of the fault.
XmlDocPtr ParseXliff(const std::string& bytes, std::string& error);
}  // namespace tvl
