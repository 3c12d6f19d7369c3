#include "accounts/account_store.h"

#include "app/paths.h"
#include "app/process_values.h"

std::wstring AccountsFilePath() {
  return JoinPath(exeDir, L"accounts.dat");
}
