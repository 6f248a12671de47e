// Parallel batch builds. The model is only read while the targets are built: everything a
// build changes in it (help ids taken from the source, a module read from a changed source)
// happens first, on the calling thread. Each job's messages are kept and shown, and its
// working copy put in place, in the order of a serial run.
#include "project/ParallelBuild.h"

#include <atomic>
#include <cstdlib>
#include <exception>
#include <future>
#include <memory>
#include <thread>

#include "archive/Exceptions.h"
#include "platform/Files.h"
#include "platform/Messages.h"
#include "project/Module.h"

namespace {

unsigned g_jobs = 0;

struct ModuleWork {
  const CModuleBuildRequest* request = nullptr;
  CMessageRecorder messages;  // of the preparation
  CModuleBuildSource build;
  std::vector<std::u16string> targets;
  bool prepared = false;
  std::atomic<size_t> firstFailure{SIZE_MAX};  // index of the first language that failed
};

struct TargetJob {
  ModuleWork* work = nullptr;
  size_t index = 0;  // among the module's languages
  CMessageRecorder messages;
  tvl::ReplacingFile working;
  bool ok = false;
  std::exception_ptr error;  // anything but the build's own exceptions
  std::promise<void> done;
};

// The preparation BuildLanguages and BuildTargets make before writing anything.
void Prepare(ModuleWork& w) {
  CMessageSink* previous = SetThreadMessageSink(&w.messages);
  CModule& m = *w.request->module;
  try {
    for (LANGID l : w.request->languages) w.targets.push_back(m.MakeFullPath(m.GetTargetFileName(l)));
    w.prepared = m.PrepareBuild(w.request->source.empty() ? m.GetSourcePath() : w.request->source, w.build);
  } catch (const CException& e) {
    DoMessageBox(e.GetErrorText().substr(0, 1000), MB_ICONERROR);
  }
  if (w.prepared) w.build.module->m_resTable.m_stringTable.FindString(0);  // its lookup index, built now
  SetThreadMessageSink(previous);
}

void RunJob(TargetJob& job) {
  ModuleWork& w = *job.work;
  if (job.index < w.firstFailure.load()) {  // after a failure the serial run would stop
    CMessageSink* previous = SetThreadMessageSink(&job.messages);
    try {
      w.request->module->BuildTarget(w.build, w.request->languages[job.index], w.targets[job.index], job.working);
      job.ok = true;
    } catch (const CException& e) {
      ShowBuildFailure(e);
    } catch (...) {
      job.error = std::current_exception();
    }
    SetThreadMessageSink(previous);
    if (!job.ok) {
      size_t seen = w.firstFailure.load();
      while (job.index < seen && !w.firstFailure.compare_exchange_weak(seen, job.index)) {
      }
    }
  }
  job.done.set_value();
}

// Shows a finished job's messages and puts its target in place; false when the module stops.
bool Finish(TargetJob& job) {
  job.done.get_future().wait();
  if (job.error) std::rethrow_exception(job.error);
  job.messages.Replay();
  if (!job.ok) return false;
  const std::u16string& target = job.work->targets[job.index];
  try {
    CommitTarget(job.working, target);
  } catch (const CException& e) {
    ShowBuildFailure(e);
    return false;
  }
  BuildSuccessList().push_back(target);
  return true;
}

// A build that reads what another one writes must keep the serial order.
bool Independent(const std::vector<CModuleBuildRequest>& requests) {
  std::vector<std::u16string> sources, targets;
  try {
    for (const auto& r : requests) {
      sources.push_back(r.module->MakeFullPath(r.source.empty() ? r.module->GetSourcePath() : r.source));
      for (LANGID l : r.languages) targets.push_back(r.module->MakeFullPath(r.module->GetTargetFileName(l)));
    }
  } catch (const CException&) {
    return false;
  }
  for (const auto& t : targets)
    for (const auto& s : sources)
      if (tvl::NativePath(t) == tvl::NativePath(s)) return false;
  return true;
}

class WorkerPool {
 public:
  WorkerPool(std::vector<std::unique_ptr<TargetJob>>& jobs, unsigned count) : m_jobs(jobs) {
    for (unsigned i = 0; i < count; ++i) m_threads.emplace_back([this] { Work(); });
  }
  ~WorkerPool() {
    for (std::thread& t : m_threads) t.join();
  }

 private:
  void Work() {
    for (size_t k; (k = m_next++) < m_jobs.size();) RunJob(*m_jobs[k]);
  }
  std::vector<std::unique_ptr<TargetJob>>& m_jobs;
  std::atomic<size_t> m_next{0};
  std::vector<std::thread> m_threads;
};

}  // namespace

unsigned BuildJobs() {
  if (g_jobs) return g_jobs;
  if (const char* v = std::getenv("TVL_JOBS")) {
    char* end = nullptr;
    long n = std::strtol(v, &end, 10);
    if (end != v && *end == '\0' && n > 0 && n <= 1024) return static_cast<unsigned>(n);
  }
  return std::max(1u, std::thread::hardware_concurrency());
}

void SetBuildJobs(unsigned jobs) { g_jobs = jobs; }

std::vector<bool> BuildModules(const std::vector<CModuleBuildRequest>& requests, unsigned jobs) {
  std::vector<bool> results;
  if (jobs <= 1 || !Independent(requests)) {
    for (const auto& r : requests) results.push_back(r.module->BuildLanguages(r.languages, r.source));
    return results;
  }
  std::vector<std::unique_ptr<ModuleWork>> work;
  std::vector<std::unique_ptr<TargetJob>> queue;
  for (const auto& r : requests) {
    work.push_back(std::make_unique<ModuleWork>());
    ModuleWork& w = *work.back();
    w.request = &r;
    Prepare(w);
    if (!w.prepared) continue;
    for (size_t i = 0; i < r.languages.size(); ++i) {
      queue.push_back(std::make_unique<TargetJob>());
      queue.back()->work = &w;
      queue.back()->index = i;
    }
  }
  WorkerPool pool(queue, static_cast<unsigned>(std::min<size_t>(jobs, queue.size())));
  size_t next = 0;
  for (auto& w : work) {
    w->messages.Replay();
    bool ok = w->prepared;
    for (; next < queue.size() && queue[next]->work == w.get(); ++next) {
      if (ok)
        ok = Finish(*queue[next]);
      else
        queue[next]->done.get_future().wait();  // dropped; its working copy goes with it
    }
    w->build.temporary.reset();
    results.push_back(ok);
  }
  return results;
}
