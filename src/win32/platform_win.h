#pragma once
// Windows implementations of the clock and shell ports.
#include "app/ports.h"

namespace varlen {

class WindowsClock final : public ClockPort {
 public:
  CivilDate Today() override;
};

class WindowsShell final : public ShellPort {
 public:
  void OpenAddress(std::string_view address) override;
  Text ReadUserRegistryString(std::string_view key, std::string_view valueName) override;
  void StartProgram(std::string_view program, std::string_view parameters) override;
};

}  // namespace varlen
