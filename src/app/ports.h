#pragma once
// The outside world as the core sees it. Windows implementations live in
// src/win32, native ones in src/posix, fakes in tests.
#include <string_view>

#include "model/file_port.h"
#include "net/code_page.h"
#include "net/wininet_port.h"
#include "text/byte_text.h"
#include "text/dates.h"

namespace varlen {

class ClockPort {
 public:
  virtual ~ClockPort() = default;
  virtual CivilDate Today() = 0;  // local date
};

class ShellPort {
 public:
  virtual ~ShellPort() = default;
  // ShellExecute "open" of an address, normal window; the result is ignored.
  virtual void OpenAddress(std::string_view address) = 0;
  // A string value under HKEY_CURRENT_USER (REG_SZ as is, REG_EXPAND_SZ
  // expanded); "" when the key or value is missing or of another type.
  virtual Text ReadUserRegistryString(std::string_view key, std::string_view valueName) = 0;
  // ShellExecute "open" of a program with parameters, no working folder.
  virtual void StartProgram(std::string_view program, std::string_view parameters) = 0;
};

class HttpPort {
 public:
  virtual ~HttpPort() = default;
  // A plain GET always answered by the server; the body, or empty bytes on
  // any failure.
  virtual Bytes HttpGet(std::string_view url) = 0;
};

class ConfigPagePort {
 public:
  virtual ~ConfigPagePort() = default;
  // The start-up fetch of the configuration page (Microsoft.XMLHTTP on
  // Windows): the page's bytes, empty when it could not be fetched in time.
  virtual Bytes FetchStartupPage(std::string_view url) = 0;
};

class SaveDialogPort {
 public:
  virtual ~SaveDialogPort() = default;
  // The export file dialog: a text file in the program's folder by default,
  // ".txt" added to a bare name, overwrite confirmed, the last choice offered
  // again. False when cancelled.
  virtual bool ChooseExportFile(Text& path) = 0;
};

struct Ports {
  FilePort& files;
  ClockPort& clock;
  ShellPort& shell;
  HttpPort& http;
  ConfigPagePort& configPage;
  WinInetPort& net;  // WebRequest's calls
  SaveDialogPort& saveDialog;
};

}  // namespace varlen
