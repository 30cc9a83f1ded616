#pragma once
// The export file dialog: the system's save dialog for text files.
#include <windows.h>

#include <string>

#include "app/ports.h"

namespace varlen {

class WindowsSaveDialog final : public SaveDialogPort {
 public:
  void SetOwner(HWND owner) { owner_ = owner; }
  bool ChooseExportFile(Text& path) override;

 private:
  HWND owner_ = nullptr;
  std::wstring lastPath_;  // offered again the next time
};

// The folder that holds the running executable.
std::wstring ProgramFolder();

}  // namespace varlen
