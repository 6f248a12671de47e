#pragma once
// What many tests need: a message sink that records and answers from a script,
// scratch folders, and the fixtures.
#include <deque>
#include <string>
#include <vector>

#include "platform/Messages.h"

struct RecordedMessage {
  std::u16string text;
  UINT type = 0;
};

// Installs itself for its lifetime; answers the scripted buttons in turn, then IDOK.
class CRecordingSink : public CMessageSink {
 public:
  CRecordingSink();
  ~CRecordingSink() override;
  int Show(const std::u16string& text, UINT type, UINT helpId) override;

  std::vector<RecordedMessage> messages;
  std::deque<int> answers;

 private:
  CMessageSink* m_previous;
};

// A fresh empty directory under the temporary directory, removed at destruction.
class CScratchDir {
 public:
  CScratchDir();
  ~CScratchDir();
  const std::string& path() const { return m_path; }
  std::string file(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

std::string FixturePath(const std::string& name);
std::vector<unsigned char> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::string ReadFileText(const std::string& path);
// Runs a shell command: its standard output, and its exit status in `status`.
std::string RunCommand(const std::string& command, int* status = nullptr);
// The resource script the mingw-w64 decompiler writes for a module; a non-zero status when
// it is not installed or cannot read the module.
std::string DecompileModule(const std::string& path, int* status = nullptr);
bool HaveDecompiler();

// A UTF-8 path as the model holds paths.
std::u16string tvl_test_u16(const std::string& utf8);

// Sets an environment variable (null: unsets it) for its lifetime, then puts it back.
class CScopedEnv {
 public:
  CScopedEnv(const char* name, const char* value);
  ~CScopedEnv();
  CScopedEnv(const CScopedEnv&) = delete;
  CScopedEnv& operator=(const CScopedEnv&) = delete;

 private:
  std::string m_name;
  bool m_had = false;
  std::string m_old;
};
