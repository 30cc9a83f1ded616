#include "win32/save_dialog_win.h"

#include <commdlg.h>

#include <vector>

#include "win32/handles_win.h"

namespace varlen {

std::wstring ProgramFolder() {
  std::vector<wchar_t> buffer(MAX_PATH, L'\0');
  DWORD n;
  while ((n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()))) >= buffer.size())
    buffer.resize(buffer.size() * 2);
  std::wstring path(buffer.data(), n);
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool WindowsSaveDialog::ChooseExportFile(Text& path) {
  std::vector<wchar_t> file(32768, L'\0');
  lastPath_.copy(file.data(), std::min(lastPath_.size(), file.size() - 1));
  // Description and pattern pairs, ended by an empty pair.
  std::wstring filter = Wide("文本文件（.txt）");
  filter.push_back(L'\0');
  filter += L"*.txt";
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  const std::wstring folder = ProgramFolder();

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner_;
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrDefExt = L"txt";
  ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&ofn)) return false;
  lastPath_ = file.data();
  path = Gbk(lastPath_);
  return true;
}

}  // namespace varlen
