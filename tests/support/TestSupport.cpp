#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

CRecordingSink::CRecordingSink() : m_previous(SetMessageSink(this)) {}
CRecordingSink::~CRecordingSink() { SetMessageSink(m_previous); }

int CRecordingSink::Show(const std::u16string& text, UINT type, UINT) {
  messages.push_back({text, type});
  if (answers.empty()) return IDOK;
  int a = answers.front();
  answers.pop_front();
  return a;
}

CScratchDir::CScratchDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "tvltest-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  m_path = tmpl;
}

CScratchDir::~CScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

std::string FixturePath(const std::string& name) { return std::string(TVL_FIXTURES_DIR) + "/" + name; }

std::vector<unsigned char> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::u16string tvl_test_u16(const std::string& utf8) {
  std::u16string out;
  for (unsigned char c : utf8) out += static_cast<char16_t>(c);  // test paths are ASCII
  return out;
}

std::string RunCommand(const std::string& command, int* status) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    if (status) *status = -1;
    return out;
  }
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int rc = pclose(pipe);
  if (status) *status = rc;
  return out;
}

std::string DecompileModule(const std::string& path, int* status) {
  return RunCommand("timeout 20 x86_64-w64-mingw32-windres -i '" + path + "' -O rc 2>/dev/null", status);
}

bool HaveDecompiler() { return std::system("command -v x86_64-w64-mingw32-windres >/dev/null 2>&1") == 0; }

CScopedEnv::CScopedEnv(const char* name, const char* value) : m_name(name) {
  if (const char* old = std::getenv(name)) {
    m_had = true;
    m_old = old;
  }
  if (value)
    ::setenv(name, value, 1);
  else
    ::unsetenv(name);
}

CScopedEnv::~CScopedEnv() {
  if (m_had)
    ::setenv(m_name.c_str(), m_old.c_str(), 1);
  else
    ::unsetenv(m_name.c_str());
}

namespace {
// The user's own data (the translation memory) stays out of reach of every test: each test
// program keeps its own, removed at its end.
struct CPrivateUserData {
  CPrivateUserData() { setenv("XDG_DATA_HOME", dir.path().c_str(), 1); }
  CScratchDir dir;
} g_privateUserData;
}  // namespace
