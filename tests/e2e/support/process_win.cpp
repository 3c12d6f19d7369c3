#include "process.h"

#include <windows.h>

#include <tlhelp32.h>

#include "utf_convert.h"
#include "win_error.h"

namespace e2e {

namespace {

constexpr DWORD kKillWaitMs = 5000;

ScopedHandle MakeKillOnCloseJob() {
  ScopedHandle job(::CreateJobObjectW(nullptr, nullptr));
  if (!job.IsValid())
    return job;
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (!::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation,
                                 &limits, sizeof(limits)))
    job.Reset();
  return job;
}

wchar_t AsciiLower(wchar_t c) {
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool EqualsAsciiNoCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i]))
      return false;
  }
  return true;
}

}  // namespace

Process::~Process() {
  Kill();
}

Process::Process(Process&& other) noexcept
    : job_(std::move(other.job_)),
      process_(std::move(other.process_)),
      id_(other.id_) {
  other.id_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    job_ = std::move(other.job_);
    process_ = std::move(other.process_);
    id_ = other.id_;
    other.id_ = 0;
  }
  return *this;
}

testing::AssertionResult Process::Start(const std::wstring& exe,
                                        const std::wstring& arguments,
                                        const std::wstring& work_dir) {
  Kill();
  std::wstring command_line = L"\"" + exe + L"\"";
  if (!arguments.empty())
    command_line += L" " + arguments;
  std::wstring folder = work_dir;
  if (folder.empty()) {
    const size_t at = exe.find_last_of(L"\\/");
    if (at != std::wstring::npos)
      folder = exe.substr(0, at);
  }

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!::CreateProcessW(exe.c_str(), &command_line[0], nullptr, nullptr, FALSE,
                        CREATE_SUSPENDED | DETACHED_PROCESS, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup,
                        &info))
    return testing::AssertionFailure()
           << "cannot start " << WideToUtf8(command_line) << ": "
           << LastErrorText();
  ScopedHandle thread(info.hThread);
  process_.Reset(info.hProcess);
  id_ = info.dwProcessId;

  // Joined before the first instruction runs, so every child is caught.
  job_ = MakeKillOnCloseJob();
  if (job_.IsValid() && !::AssignProcessToJobObject(job_.Get(), process_.Get()))
    job_.Reset();
  ::ResumeThread(thread.Get());
  return testing::AssertionSuccess();
}

testing::AssertionResult Process::Attach(unsigned long process_id) {
  Kill();
  process_.Reset(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE |
                                   PROCESS_QUERY_LIMITED_INFORMATION,
                               FALSE, process_id));
  if (!process_.IsValid())
    return testing::AssertionFailure() << "cannot open process " << process_id
                                       << ": " << LastErrorText();
  id_ = process_id;
  return testing::AssertionSuccess();
}

bool Process::IsRunning() const {
  return process_.IsValid() &&
         ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

std::optional<int> Process::WaitForExit(Millis timeout) const {
  if (!process_.IsValid())
    return std::nullopt;
  if (::WaitForSingleObject(process_.Get(),
                            static_cast<DWORD>(timeout.count())) !=
      WAIT_OBJECT_0)
    return std::nullopt;
  DWORD code = 0;
  if (!::GetExitCodeProcess(process_.Get(), &code))
    return std::nullopt;
  return static_cast<int>(code);
}

void Process::Kill() {
  if (job_.IsValid())
    ::TerminateJobObject(job_.Get(), 1);
  if (IsRunning()) {
    ::TerminateProcess(process_.Get(), 1);
    ::WaitForSingleObject(process_.Get(), kKillWaitMs);
  }
  job_.Reset();
  process_.Reset();
  id_ = 0;
}

std::vector<unsigned long> FindProcessIds(const std::wstring& file_name) {
  std::vector<unsigned long> ids;
  ScopedFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.IsValid())
    return ids;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more;
       more = ::Process32NextW(snapshot.Get(), &entry)) {
    if (EqualsAsciiNoCase(entry.szExeFile, file_name))
      ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

}  // namespace e2e
