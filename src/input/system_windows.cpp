#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
// shellapi.h needs what windows.h declares.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "input/system.h"

namespace krobelnik {

const std::string_view ReportLineEnd = "\r\n";

namespace {

bool standardInputWasClosed = false;

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string Utf8(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return std::string();
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), size, nullptr, nullptr);
  utf8.pop_back();
  return utf8;
}

std::FILE* Open(const std::string& path, const wchar_t* mode) {
  return _wfopen(Wide(path).c_str(), mode);
}

}  // namespace

void OpenClosedStandardStreams() {
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (_get_osfhandle(descriptor) != -1) continue;
    if (descriptor == 0) standardInputWasClosed = true;
    std::FILE* stream = descriptor == 0 ? stdin : descriptor == 1 ? stdout : stderr;
    static_cast<void>(std::freopen("NUL", descriptor == 0 ? "rb" : "wb", stream));
  }
}

bool StandardInputWasClosed() { return standardInputWasClosed; }

std::size_t TerminalWidth(std::FILE* file) {
  const int descriptor = _fileno(file);
  if (descriptor < 0 || _isatty(descriptor) == 0) return 0;
  CONSOLE_SCREEN_BUFFER_INFO console{};
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  const bool told = GetConsoleScreenBufferInfo(handle, &console) != 0;
  const int columns = told ? console.srWindow.Right - console.srWindow.Left + 1 : 0;
  // COLUMNS, when it holds a number: digits only, so narrowed as they are.
  wchar_t wide[16];
  const DWORD length = GetEnvironmentVariableW(L"COLUMNS", wide, 16);
  std::string variable;
  for (DWORD c = 0; c < length && length < 16; ++c)
    variable += wide[c] < 128 ? static_cast<char>(wide[c]) : '?';
  return ColumnsOf(length > 0 && length < 16 ? variable.c_str() : nullptr,
                   columns > 0 ? static_cast<std::size_t>(columns) : 0);
}

ProgramArguments::ProgramArguments(int, char**) {
  OpenClosedStandardStreams();
  // Text for people is UTF-8 (Slovenian letters); the console shows it so.
  SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int a = 0; wide != nullptr && a < count; ++a) arguments_.push_back(Utf8(wide[a]));
  LocalFree(wide);
  for (const std::string& argument : arguments_) pointers_.push_back(argument.c_str());
  // Like argv, the list ends with a null pointer.
  pointers_.push_back(nullptr);
}

std::filesystem::path NativePath(const std::string& path) {
  return std::filesystem::path(Wide(path));
}

std::FILE* OpenForReading(const std::string& path) {
  std::FILE* file = Open(path, L"rb");
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);
  return file;
}

bool ReadStandardInput(std::string& text) {
  _setmode(_fileno(stdin), _O_BINARY);
  return ReadWhole(stdin, text);
}

bool IsRegularFile(std::FILE* file) {
  struct _stat64 info {};
  return _fstat64(_fileno(file), &info) == 0 && (info.st_mode & _S_IFMT) == _S_IFREG;
}

bool SeekTo(std::FILE* file, std::int64_t offset) { return _fseeki64(file, offset, SEEK_SET) == 0; }

std::FILE* OpenForWriting(const std::string& path) { return Open(path, L"wb"); }

std::FILE* OpenReport(const std::string& path) { return Open(path, L"wt"); }

bool Truncate(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  if (!IsRegularFile(file)) return true;
  return _chsize_s(_fileno(file), 0) == 0 && _fseeki64(file, 0, SEEK_SET) == 0;
}

}  // namespace krobelnik
