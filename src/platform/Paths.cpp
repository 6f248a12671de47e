#include "platform/Paths.h"
#include "platform/PathForms.h"

#include <sys/stat.h>

#include <filesystem>
#include <vector>

#include "platform/Text.h"

namespace tvl {
namespace {

bool IsSep(char16_t c) { return c == u'\\' || c == u'/'; }

bool HasDrive(const std::u16string& p) {
  return p.size() >= 2 && p[1] == u':' && ((p[0] >= u'A' && p[0] <= u'Z') || (p[0] >= u'a' && p[0] <= u'z'));
}

std::vector<std::u16string> Split(const std::u16string& p) {
  std::vector<std::u16string> parts;
  std::u16string cur;
  for (char16_t c : p) {
    if (IsSep(c)) {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; }

// Greedy, going back only to the last '*' seen: whatever an earlier star matched, the later
// one can take up the rest, so the work stays within name length x pattern length.
bool Match(const char16_t* n, const char16_t* ne, const char16_t* p, const char16_t* pe) {
  const char16_t* afterStar = nullptr;  // the pattern just after the last '*'
  const char16_t* starName = nullptr;   // where that star's match currently ends
  while (n < ne) {
    if (p < pe && *p == u'*') {
      afterStar = ++p;
      starName = n;
    } else if (p < pe && (*p == u'?' || Lower(*p) == Lower(*n))) {
      ++p;
      ++n;
    } else if (afterStar) {
      p = afterStar;  // the star takes one more character
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pe && *p == u'*') ++p;
  return p == pe;
}

}  // namespace

bool PathIsRelative(const std::u16string& path) {
  if (path.empty()) return true;
  if (IsSep(path[0])) return false;
  return !HasDrive(path);
}

std::u16string PathFindFileName(const std::u16string& path) {
  size_t i = path.find_last_of(u"\\/");
  return i == std::u16string::npos ? path : path.substr(i + 1);
}

std::u16string PathRemoveFileSpec(const std::u16string& path) {
  size_t i = path.find_last_of(u"\\/");
  if (i == std::u16string::npos) return {};
  if (i == 0) return path.substr(0, 1);
  return path.substr(0, i);
}

std::u16string PathFindExtension(const std::u16string& path) {
  std::u16string name = PathFindFileName(path);
  size_t dot = name.rfind(u'.');
  return dot == std::u16string::npos ? std::u16string() : name.substr(dot);
}

std::optional<std::u16string> PathCanonicalize(const std::u16string& path) {
  bool rootedHere = !path.empty() && path[0] == u'/';
  bool windowsStyle = HasDrive(path) || (!rootedHere && path.find(u'\\') != std::u16string::npos);
  std::u16string prefix;
  std::u16string rest = path;
  if (HasDrive(path)) {
    prefix = path.substr(0, 2) + u"\\";
    rest = path.substr(2);
  } else if (!path.empty() && IsSep(path[0])) {
    prefix = rootedHere ? u"/" : u"\\";
  }
  std::vector<std::u16string> out;
  for (const auto& part : Split(rest)) {
    if (part == u".") continue;
    if (part == u"..") {
      if (out.empty() || out.back() == u"..") {
        if (!prefix.empty()) return std::nullopt;  // above the root
        out.push_back(part);
      } else {
        out.pop_back();
      }
      continue;
    }
    out.push_back(part);
  }
  char16_t sep = windowsStyle ? u'\\' : u'/';
  std::u16string result = prefix;
  for (size_t i = 0; i < out.size(); ++i) {
    if (i) result += sep;
    result += out[i];
  }
  if (result.empty()) result = u".";
  return result;
}

std::optional<std::u16string> PathCombine(const std::u16string& folder, const std::u16string& relative) {
  if (!PathIsRelative(relative)) return PathCanonicalize(relative);
  if (folder.empty()) return PathCanonicalize(relative);
  std::u16string joined = folder;
  if (!IsSep(joined.back())) joined += (folder[0] == u'/') ? u'/' : u'\\';
  joined += relative;
  std::optional<std::u16string> result = PathCanonicalize(joined);
  // A folder of this machine makes the whole path one of this machine.
  if (result && folder[0] == u'/')
    for (auto& c : *result)
      if (c == u'\\') c = u'/';
  return result;
}

std::optional<std::u16string> PathRelativePathTo(const std::u16string& fromFile, const std::u16string& toFile) {
  if (PathIsRelative(fromFile) || PathIsRelative(toFile)) return std::nullopt;
  auto from = PathCanonicalize(PathRemoveFileSpec(fromFile));
  auto to = PathCanonicalize(toFile);
  if (!from || !to) return std::nullopt;
  // Different roots (drives, or a Windows path against one of this machine): none exists.
  auto root = [](const std::u16string& p) { return HasDrive(p) ? std::u16string(1, Lower(p[0])) : std::u16string(); };
  if (root(*from) != root(*to)) return std::nullopt;
  std::vector<std::u16string> a = Split(HasDrive(*from) ? from->substr(2) : *from);
  std::vector<std::u16string> b = Split(HasDrive(*to) ? to->substr(2) : *to);
  size_t common = 0;
  while (common < a.size() && common + 1 < b.size() && a[common] == b[common]) ++common;
  std::u16string rel;
  if (common == a.size()) {
    rel = u".";
  } else {
    for (size_t i = common; i < a.size(); ++i) rel += (i == common ? u".." : u"\\..");
  }
  for (size_t i = common; i < b.size(); ++i) rel += u"\\" + b[i];
  return rel;
}

bool PathIsDirectory(const std::u16string& path) {
  struct stat st{};
  return ::stat(ToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathFileExists(const std::u16string& path) {
  struct stat st{};
  return ::stat(ToUtf8(path).c_str(), &st) == 0;
}

bool PathMatchSpec(const std::u16string& name, const std::u16string& spec) {
  size_t start = 0;
  while (start <= spec.size()) {
    size_t end = spec.find(u';', start);
    if (end == std::u16string::npos) end = spec.size();
    std::u16string pattern = Trim(std::u16string_view(spec).substr(start, end - start));
    if (!pattern.empty() &&
        Match(name.data(), name.data() + name.size(), pattern.data(), pattern.data() + pattern.size()))
      return true;
    start = end + 1;
  }
  return false;
}

std::uint64_t GetFileTime(const std::u16string& path) {
  struct stat st{};
  if (::stat(ToUtf8(path).c_str(), &st) != 0) return 0;
  constexpr std::uint64_t kEpochDifference = 11644473600ULL;  // seconds from 1601 to 1970
  return (static_cast<std::uint64_t>(st.st_mtim.tv_sec) + kEpochDifference) * 10000000ULL +
         static_cast<std::uint64_t>(st.st_mtim.tv_nsec) / 100;
}

bool CreateDirectories(const std::u16string& path) {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(ToUtf8(path)), ec);
  return PathIsDirectory(path);
}

std::u16string DisplayPath(const std::u16string& path) {
  if (HasDrive(path) || (!path.empty() && path[0] == u'\\')) return path;  // drive, UNC or rooted there
  std::u16string shown = path;
  for (char16_t& c : shown)
    if (c == u'\\') c = u'/';
  return shown;
}

std::u16string StoredPath(const std::u16string& path) {
  if (!PathIsRelative(path)) return path;
  std::u16string stored = path;
  for (char16_t& c : stored)
    if (c == u'/') c = u'\\';
  return stored;
}

}  // namespace tvl
