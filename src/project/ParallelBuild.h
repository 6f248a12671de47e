#pragma once
// Batch builds that write several targets at once.
#include <string>
#include <vector>

#include "platform/Types.h"

class CModule;

// How many targets a batch build writes at once: what SetBuildJobs said, else the TVL_JOBS
// environment variable, else the number of processors.
unsigned BuildJobs();
// 0 goes back to the default.
void SetBuildJobs(unsigned jobs);

struct CModuleBuildRequest {
  CModule* module = nullptr;
  std::vector<LANGID> languages;
  std::u16string source;  // empty: the module's own
};

// Builds each module's languages as CModule::BuildLanguages does, with up to `jobs` targets
// being built at once. The messages, the success list and the files written are those of a
// serial run, in its order: a module stops at its first failing language, and whatever the
// languages after it built is dropped. Returns, per module, whether it succeeded.
std::vector<bool> BuildModules(const std::vector<CModuleBuildRequest>& requests, unsigned jobs);
